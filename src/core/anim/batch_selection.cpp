#include "core/anim/batch_selection.h"

#include <algorithm>

namespace orv {

namespace {

unsigned char Folded(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

} // namespace

bool ListBoxLess(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char ca = Folded(a[i]), cb = Folded(b[i]);
        if (ca != cb) return ca < cb;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

void InsertSorted(std::vector<std::string>& list, const std::string& name) {
    list.insert(std::upper_bound(list.begin(), list.end(), name, ListBoxLess), name);
}

void AddSelectedFiles(std::vector<std::string>& list, const std::vector<std::string>& selected) {
    for (const std::string& name : selected)
        if (std::find(list.begin(), list.end(), name) == list.end()) InsertSorted(list, name);
}

void AddAllFiles(std::vector<std::string>& list, const std::vector<std::string>& files) {
    for (const std::string& name : files)
        InsertSorted(list, name);
}

void RemoveEntries(std::vector<std::string>& list, const std::vector<size_t>& positions) {
    std::vector<std::string> kept;
    for (size_t i = 0; i < list.size(); ++i)
        if (std::find(positions.begin(), positions.end(), i) == positions.end()) kept.push_back(list[i]);
    list = std::move(kept);
}

std::string DeleteFileQuestion(const std::string& name) {
    return "Supprimer \n" + name + " ?";
}

} // namespace orv
