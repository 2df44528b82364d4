// Cell texts that the grid's handlers step through.
#pragma once

#include <string>
#include <string_view>

// The sound channel after a double click: empty or any other text gives "左声道", then
// "立体声", "右声道" and round again (GB18030).
std::string NextChannel(std::string_view channel);
