// The search locations (lstDirs) and file types (lstExt): how entries enter and leave the
// two lists. Items are GB18030 text in upper case; locations are full folder paths ("/"
// keeps its separator, other folders have none at the end). Every change is written to the
// list file at once.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class IShell;

// A location contains a path when the path begins with it and either the location ends
// with "/" or the path goes on with "/" right after it. A path never contains itself.
bool LocationContains(std::string_view location, std::string_view path);

// Index of the first location, in list order, that contains the path; -1 when none does.
int FindParentDir(const std::vector<std::string>& dirs, std::string_view path);

// The order of lstDirs: bytes compared after a-z are upper-cased.
bool LessNoCase(std::string_view a, std::string_view b);
bool EqualNoCase(std::string_view a, std::string_view b);

// The register form of a real folder path as the folder tree offers it: each component
// in its register form (GB18030, upper case).
std::string RegisterFormOfPath(std::string_view realPath);

// Puts the location at its sorted place (lstDirs as loaded from its file).
void InsertSorted(std::vector<std::string>& dirs, std::string path);

// btnAddDirClick on the path that the tree offers (register form): a path that is not an
// existing folder or is already listed is ignored; one inside a listed location is refused
// on the status line; otherwise it is inserted at its place and the list file written.
// Returns whether the list changed.
bool AddSearchDir(std::vector<std::string>& dirs, const std::string& path,
                  const std::string& listFile, IShell& shell);

// btnAddExtClick on the text of edFileType (GB18030): trimmed and upper-cased, appended
// unless already listed, and the list file written. Returns whether the list changed (the
// new item, the last one, is then the one to select).
bool AddFileType(std::vector<std::string>& exts, std::string_view typed,
                 const std::string& listFile);

// btnDelDirClick and dtnDelExtClick: removes the selected item (nothing when selected is
// -1) and writes the list file. Returns the item to select afterwards: the last one, or -1
// when the list is empty (or nothing was selected).
int RemoveListItem(std::vector<std::string>& items, int selected, const std::string& listFile);

// Removes every location that an earlier one contains or equals, as at each search start.
// The list file is not written here.
void PruneSearchDirs(std::vector<std::string>& dirs);
