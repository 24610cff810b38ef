// A photograph read from its file, with the resolution the user gave it, not yet shown:
// a new photograph is read whole into one of these before the old one is let go, so
// that a cancel or a failure leaves the photograph on screen as it was. CDib::Install
// takes it over.
//
// A file that ends before the picture does (a BMP or JPEG cut short) is read as far as
// it goes; the missing part is decoded from zero bytes, never left as whatever memory
// held before, and the user is told that the file is incomplete.
#pragma once

#include "PhotoPyramid.h"
#include "platform/WinTypes.h"

#include <memory>
#include <string>

class PhotoFile
{
  public:
    // Decodes the file, builds its reduced copies down to `lowestLevel` and asks the
    // resolution (the DPI question's `horizontal` is x, `vertical` is y, each
    // kMinDpi..kMaxDpi, asked again when out of range) and its confirmation. Null when
    // nothing was read: an unreadable file or too little memory (with a message), a
    // cancelled question or a "no". `decoderLimitMB` caps what the decoder allocates.
    static std::unique_ptr<PhotoFile> Read(const std::string& path, int lowestLevel,
                                           int decoderLimitMB);

    const std::string& GetPath() const { return m_path; }
    UINT GetResolutionX() const { return m_resolutionX; }
    UINT GetResolutionY() const { return m_resolutionY; }
    // True when the file ended before the picture did.
    bool IsIncomplete() const { return m_incomplete; }
    // The photograph and its reduced copies, to be taken over.
    PhotoPyramid& Pyramid() { return m_pyramid; }

    static constexpr unsigned kMinDpi = 1;
    static constexpr unsigned kMaxDpi = 10000;

  private:
    PhotoFile() = default;
    // Asks the resolution and its confirmation; false when cancelled or refused.
    bool AskResolution();

    PhotoPyramid m_pyramid;
    std::string m_path;
    UINT m_resolutionX = 0;
    UINT m_resolutionY = 0;
    bool m_incomplete = false;
};
