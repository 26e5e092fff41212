// The batch tool's selection list: bare file names kept in the order of a sorted list box,
// and the rules by which its buttons add to it. The list may hold a name twice.
#pragma once

#include <string>
#include <vector>

namespace orv {

// The list box order: case-insensitive (ASCII letters folded), digits compared as characters
// so that Img10.fit comes before Img2.fit; names equal but for case are ordered by their bytes,
// so the order never depends on the order of adding.
bool ListBoxLess(const std::string& a, const std::string& b);

// The name at its sorted place (after the names that compare equal to it).
void InsertSorted(std::vector<std::string>& list, const std::string& name);

// "&Ajouter": each name not already in the list (exact, case-sensitive) is inserted.
void AddSelectedFiles(std::vector<std::string>& list, const std::vector<std::string>& selected);

// "&Tout Ajouter", and "F&iltre" with the files of the series: every name is inserted, even
// one already there.
void AddAllFiles(std::vector<std::string>& list, const std::vector<std::string>& files);

// "&Supprimmer": the entries whose positions are listed are removed.
void RemoveEntries(std::vector<std::string>& list, const std::vector<size_t>& positions);

// The confirmation asked before deleting a file from the disk.
std::string DeleteFileQuestion(const std::string& name);

} // namespace orv
