// The library list "lib.dat": the paths of the component libraries that were open when
// the program last ended, opened again at start-up. The layout is in
// docs/file-formats.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class LibraryList
{
  public:
    static constexpr const char* kFileName = "lib.dat";
    // A larger file is refused unread.
    static constexpr std::size_t kMaxFileBytes = 4u << 20;

    // The paths held by the bytes of a list file. False, with the fault in `error` and
    // `paths` left as it was, when the bytes are not a whole list.
    static bool Parse(std::span<const std::uint8_t> bytes, std::vector<std::string>* paths,
                      std::string* error);
    static std::vector<std::uint8_t> ToBytes(const std::vector<std::string>& paths);

    // Reads the list at `file`. False when there is none to read: `error` is left empty
    // when the file does not exist and otherwise says what is wrong; `paths` is then
    // left as it was.
    static bool Read(const std::string& file, std::vector<std::string>* paths, std::string* error);
    // Writes the list through a temporary file renamed over `file`; on failure the old
    // file stays as it was and `error` says why.
    static bool Write(const std::string& file, const std::vector<std::string>& paths,
                      std::string* error);

    // The name under which a library is known in the library set: the absolute path
    // with ".", ".." and symbolic links resolved as far as the file system has them.
    // Empty for an empty path.
    static std::string CanonicalPath(const std::string& path);
};
