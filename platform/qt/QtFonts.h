// The fonts a drawing context has asked for, each made once when first used (pads ask
// for the same few sizes thousands of times a frame), with the widths of the texts
// measured in them. A set of fonts may outlive the contexts that use it, so that a
// view's next repaint finds its fonts made and its pad numbers measured; it is used by
// one context at a time, on one thread at a time.
#pragma once

#include "platform/DrawContext.h"

#include <QFont>
#include <QFontMetrics>

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class QtFonts
{
  public:
    struct Font {
        FontSpec spec;
        QFont font;
        QFontMetrics metrics;
        int height; // of the metrics, which work them out anew on every call
        int ascent;
        std::unordered_map<std::string, int> widths;
    };

    // The font for `spec`, made if need be. The reference holds until Trim.
    Font& Get(const FontSpec& spec);
    // The width of `text` in `font`, in pixels.
    static int Width(Font& font, const std::string& text);
    // Lets every font go when more than kMostFonts were made (every zoom asks for pad
    // numbers of other sizes). Called when a context starts to use the set.
    void Trim();

    static constexpr std::size_t kMostFonts = 64;
    static constexpr std::size_t kMostWidths = 1024;

  private:
    std::vector<std::unique_ptr<Font>> m_fonts;
    Font* m_last = nullptr;
};
