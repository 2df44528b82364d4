// The search locations (lstDirs) and file types (lstExt): how entries enter and leave the
// two lists. Items are GB18030 text in upper case; locations are full folder paths ("/"
// keeps its separator, other folders have none at the end).
#pragma once

#include <functional>
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

// Puts the location at its sorted place (after equal ones); returns that index.
size_t InsertSorted(std::vector<std::string>& dirs, std::string path);

// The rules of btnAddDirClick for the path that the tree offers (register form): a path
// that is not an existing folder or is already listed is ignored; one inside a listed
// location is refused on the status line; otherwise it goes to its sorted place. Returns
// the index of the new item, or -1 when the list stayed as it was. The caller shows the
// list, then writes it to its file. `isFolder` answers for a register path; the caller
// decides how long the disk may take.
int AddSearchDir(std::vector<std::string>& dirs, std::string_view path, IShell& shell,
                 const std::function<bool(std::string_view)>& isFolder);

// The rules of btnAddExtClick for the text of edFileType (GB18030): trimmed and
// upper-cased, appended unless already listed. Returns whether the list changed (the new
// item, the last one, is then the one to select).
bool AddFileType(std::vector<std::string>& exts, std::string_view typed);

// btnDelDirClick and dtnDelExtClick: removes the selected item (a valid index). Returns
// the item to select afterwards: the last one, or -1 when the list is now empty.
int RemoveListItem(std::vector<std::string>& items, int selected);

// Removes every location that an earlier one contains or equals, as at each search start.
// The list file is not written here.
void PruneSearchDirs(std::vector<std::string>& dirs);
