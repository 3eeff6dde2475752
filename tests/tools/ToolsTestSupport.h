#pragma once
// Temporary folders and file helpers shared by the tools' tests.

#include <zip.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace zrb::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zrb-tools-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        // Read-only files inside must not keep the folder alive.
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

inline std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

using ZipEntries = std::vector<std::pair<std::string, std::string>>;

// Every entry of a ZIP archive with its content, in archive order; empty when the archive
// cannot be opened.
inline ZipEntries ReadZipEntries(const std::string& archive) {
    ZipEntries entries;
    int error = 0;
    zip_t* zip = zip_open(archive.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (zip == nullptr) {
        return entries;
    }
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        std::string content;
        if (zip_file_t* file = zip_fopen_index(zip, index, 0)) {
            char buffer[4096];
            zip_int64_t read = 0;
            while ((read = zip_fread(file, buffer, sizeof buffer)) > 0) {
                content.append(buffer, static_cast<size_t>(read));
            }
            zip_fclose(file);
        }
        entries.emplace_back(zip_get_name(zip, index, 0), content);
    }
    zip_discard(zip);
    return entries;
}

}  // namespace zrb::testing
