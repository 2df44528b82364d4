// The part of a text that a rectangle can show. Converting and shaping cost by length, so a
// long cell (a path of megabytes) is cut to what its place can show before either. Every
// character drawn moves the pen on by at least a pixel: a place of w pixels shows at most
// w + 1 characters (the last one cut by the clip).
#pragma once

#include <QString>
#include <string_view>

// The first characters of a GB18030 text that a place `width` pixels wide can show.
QString GbShownPart(std::string_view gb, int width);
// The same for a text already converted.
QString ShownPart(const QString& text, int width);
