#include "core/text/path_text.h"

#include <cctype>

namespace orv {

std::string ExtractFileName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtractFilePath(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ExtractFileExt(const std::string& path) {
    std::string name = ExtractFileName(path);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string UpperCase(const std::string& s) {
    std::string r = s;
    for (char& c : r)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

std::string WithDefaultExtension(const std::string& path, const std::string& ext) {
    return ExtractFileName(path).find('.') == std::string::npos ? path + ext : path;
}

bool HasFitsExtension(const std::string& path) {
    const std::string ext = UpperCase(ExtractFileExt(path));
    return ext == ".FIT" || ext == ".FTS" || ext == ".FITS";
}

bool IsGzipFitsName(const std::string& path) {
    return UpperCase(ExtractFileExt(path)) == ".GZ" && HasFitsExtension(WithoutExtension(path));
}

bool IsTileCompressedName(const std::string& path) {
    return UpperCase(ExtractFileExt(path)) == ".FZ";
}

std::string WithoutExtension(const std::string& path) {
    return path.substr(0, path.size() - ExtractFileExt(path).size());
}

} // namespace orv
