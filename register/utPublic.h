// Shared text helpers over register cells.
#pragma once

#include <string>
#include <string_view>

// The n-th piece (from 1) of text split at each separator, scanning from the left without
// overlap; "" when n is out of range.
std::string_view TextPiece(std::string_view text, std::string_view sep, int n);
// 1 + the number of separators; 1 for the empty text.
int PieceCount(std::string_view text, std::string_view sep);
