// Text in Tavlora is held as GB18030 bytes (the superset of GBK) and converted only at the
// edges: to QString for display, to UTF-8 for the file system.
#pragma once

#include <QString>
#include <string>
#include <string_view>

QString GbToQString(std::string_view gb);
std::string QStringToGb(const QString& text);
std::string GbToUtf8(std::string_view gb);
std::string Utf8ToGb(std::string_view utf8);
bool IsValidUtf8(std::string_view bytes);
// A name on disk as GB18030 text: UTF-8 converted; a name that is not valid UTF-8 is taken
// as GB18030 bytes as they stand.
std::string DiskNameToGb(std::string_view diskName);

// Byte length of the character that starts at text[i]: a lead byte 0x81-0xFE starts a
// four-byte character when 0x30-0x39, 0x81-0xFE, 0x30-0x39 follow, a two-byte one when
// 0x40-0x7E or 0x80-0xFE follows; any other byte is a character by itself. The database
// reader and the cell rule split text with this one rule. Never runs past the end.
size_t GbCharLength(std::string_view text, size_t i);

// a-z become A-Z; every other character, the trail bytes of GB18030 characters included,
// stays as it is.
std::string UpperCase(std::string_view text);
// Removes every character of code 32 or below at both ends.
std::string_view Trim(std::string_view text);
