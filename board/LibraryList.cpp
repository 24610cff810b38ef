#include "LibraryList.h"

#include "AtomicFile.h"
#include "platform/CArchive.h"

#include <filesystem>
#include <system_error>

bool LibraryList::Parse(std::span<const std::uint8_t> bytes, std::vector<std::string>* paths,
                        std::string* error)
{
    std::vector<std::string> read;
    try {
        CArchive ar(bytes);
        // Every path takes at least its one length byte.
        const std::size_t count = ar.ReadCount(1);
        read.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            read.push_back(ar.ReadString());
        if (!ar.AtEnd())
            CArchive::Throw(CArchiveException::generic, "Unexpected data after the last path.");
    } catch (const CArchiveException& e) {
        if (error)
            *error = e.what();
        return false;
    }
    *paths = std::move(read);
    return true;
}

std::vector<std::uint8_t> LibraryList::ToBytes(const std::vector<std::string>& paths)
{
    CArchive ar;
    ar.WriteCount(paths.size());
    for (const std::string& path : paths)
        ar.WriteString(path);
    return ar.TakeBytes();
}

bool LibraryList::Read(const std::string& file, std::vector<std::string>* paths, std::string* error)
{
    if (error)
        error->clear();
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        return false;
    std::vector<std::uint8_t> bytes;
    std::string why;
    if (!ReadWholeFile(file, &bytes, &why, kMaxFileBytes)) {
        if (error)
            *error = why;
        return false;
    }
    if (!Parse(bytes, paths, &why)) {
        if (error)
            *error = "The library list " + file + " is damaged: " + why;
        return false;
    }
    return true;
}

bool LibraryList::Write(const std::string& file, const std::vector<std::string>& paths,
                        std::string* error)
{
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ToBytes(paths);
    } catch (const CArchiveException& e) {
        if (error)
            *error = "Cannot write " + file + ": " + e.what();
        return false;
    }
    return WriteFileAtomically(file, bytes.data(), bytes.size(), error);
}

std::string LibraryList::CanonicalPath(const std::string& path)
{
    if (path.empty())
        return std::string();
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path absolute = fs::absolute(fs::path(path), ec);
    if (ec)
        absolute = fs::path(path);
    fs::path canonical = fs::weakly_canonical(absolute, ec);
    if (ec)
        canonical = absolute.lexically_normal();
    return canonical.string();
}
