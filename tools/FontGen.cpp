// FontGen: converts Hershey font files (.jhf) into the stroke font's two data blocks and
// writes them as a C++ source that registers them with the program.
//
//   FontGen <folder of the .jhf files> <output .cpp>
//
// Glyph block (id 169), little-endian: u32 glyph count; per glyph u32 point count n and
// n points of two f64 (x, y; y pointing down as in the Hershey data). Point 0 holds the
// glyph's left and right extents; a pen-up is (-64, 0); the last point is (-64, -64).
// Pen-ups only ever stand between two strokes: never first, doubled or last.
//
// Code table (id 170): 3072 u32 glyph indexes (0xFFFFFFFF: no glyph): the codes
// 0x00..0x7F of faces 0..11 (128 per face), then the codes 0x80..0xFF of faces 0..11.
//
// Faces: 0 futural, 1 futuram, 2 rowmans, 3 rowmand, 4 rowmant, 5 timesr, 6 timesi,
// 7 timesib, 8 scripts, 9 scriptc, 10 gothiceng, 11 gothicger. Each maps the printable
// ASCII codes 0x20..0x7E from the first 95 glyphs of its file. Face 2 (the board texts'
// face) leaves the space unmapped, and maps the accented Latin-1 letters composed from
// one of its own letters and an accent mark drawn here in the same stroke style (see
// AccentStrokes).
//
// A .jhf glyph: columns 1-5 a number, 6-8 the vertex count (header pair included), then
// one character pair per vertex, each coordinate = character - 'R'; the first pair is
// the left and right extent, " R" lifts the pen. A glyph may continue over following
// lines until its vertex count is reached. Any deviation fails the conversion.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

struct Pt {
    double x;
    double y;
};
using Stroke = std::vector<Pt>;

struct Glyph {
    double left = 0;
    double right = 0;
    std::vector<Stroke> strokes;
};

constexpr double kPenUpX = -64.0;
constexpr std::uint32_t kNoGlyph = 0xFFFFFFFFu;
constexpr int kFaceCount = 12;
constexpr int kTextFace = 2;

const char* const kFaceFiles[kFaceCount] = {
    "futural", "futuram", "rowmans", "rowmand", "rowmant",   "timesr",
    "timesi",  "timesib", "scripts", "scriptc", "gothiceng", "gothicger",
};

[[noreturn]] void Fail(const std::string& file, int line, const std::string& what)
{
    std::ostringstream s;
    s << file;
    if (line > 0)
        s << ":" << line;
    s << ": " << what;
    throw std::runtime_error(s.str());
}

bool ParseField(const std::string& text, int* value)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i == text.size())
        return false;
    int v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        v = v * 10 + (text[i] - '0');
        if (v > 100000)
            return false;
    }
    *value = v;
    return true;
}

std::vector<Glyph> ReadJhf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        Fail(path, 0, "cannot open the font file (is the package hershey-fonts-data installed?)");
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.pop_back();
        lines.push_back(line);
    }

    std::vector<Glyph> glyphs;
    std::size_t i = 0;
    while (i < lines.size()) {
        const int lineNo = int(i) + 1;
        const std::string& head = lines[i];
        if (head.find_first_not_of(' ') == std::string::npos) { // blank line
            ++i;
            continue;
        }
        int number = 0;
        int count = 0;
        if (head.size() < 8 || !ParseField(head.substr(0, 5), &number) ||
            !ParseField(head.substr(5, 3), &count))
            Fail(path, lineNo,
                 "expected a glyph number (5 columns) and a vertex count (3 columns)");
        if (count < 1)
            Fail(path, lineNo, "a glyph needs at least its extent pair");
        std::string data = head.substr(8);
        ++i;
        // Continuation lines, when the glyph is longer than its first line.
        while (data.size() < std::size_t(2 * count) && i < lines.size()) {
            data += lines[i];
            ++i;
        }
        if (data.size() < std::size_t(2 * count))
            Fail(path, lineNo, "the glyph ends before its vertex count is reached");
        if (data.find_first_not_of(' ', std::size_t(2 * count)) != std::string::npos)
            Fail(path, lineNo, "more vertices than the vertex count says");

        Glyph g;
        for (int v = 0; v < count; ++v) {
            const char cx = data[std::size_t(2 * v)];
            const char cy = data[std::size_t(2 * v + 1)];
            if (cx < ' ' || cx > '~' || cy < ' ' || cy > '~')
                Fail(path, lineNo, "a coordinate character outside the printable range");
            if (v == 0) {
                g.left = cx - 'R';
                g.right = cy - 'R';
                continue;
            }
            if (cx == ' ' && cy == 'R') { // pen up
                if (!g.strokes.empty() && !g.strokes.back().empty())
                    g.strokes.emplace_back();
                continue;
            }
            if (g.strokes.empty())
                g.strokes.emplace_back();
            g.strokes.back().push_back(Pt{double(cx - 'R'), double(cy - 'R')});
        }
        while (!g.strokes.empty() && g.strokes.back().empty())
            g.strokes.pop_back();
        glyphs.push_back(std::move(g));
    }
    return glyphs;
}

// The accent marks, in the rowmans grid (y down; capitals reach from -12 to the
// baseline at 9, small letters from -5). Each mark is drawn about x = 0 with its lowest
// point at y = 0, then placed over the centre of the letter: its bottom at -15 above a
// capital and at -8 above a small letter. The cedilla hangs from the baseline instead.
enum Accent { GRAVE, ACUTE, CIRCUMFLEX, TILDE, DIAERESIS, RING, CEDILLA };

std::vector<Stroke> AccentStrokes(Accent a)
{
    switch (a) {
    case GRAVE:
        return {{{-1, -3}, {1, 0}}};
    case ACUTE:
        return {{{1, -3}, {-1, 0}}};
    case CIRCUMFLEX:
        return {{{-3, 0}, {0, -3}, {3, 0}}};
    case TILDE:
        return {{{-3, -1}, {-2, -2}, {-1, -2}, {1, -1}, {2, -1}, {3, -2}}};
    case DIAERESIS: // two dots drawn as the dot of the i
        return {{{-2, -2}, {-1, -1}, {-2, 0}, {-3, -1}, {-2, -2}},
                {{2, -2}, {3, -1}, {2, 0}, {1, -1}, {2, -2}}};
    case RING:
        return {
            {{-1, -3}, {1, -3}, {2, -2}, {2, -1}, {1, 0}, {-1, 0}, {-2, -1}, {-2, -2}, {-1, -3}}};
    case CEDILLA: // drawn with y = 0 at the baseline
        return {{{0, 0}, {0, 2}, {2, 3}, {1, 4}, {-1, 4}}};
    }
    return {};
}

struct Composite {
    unsigned code;
    char base;
    Accent accent;
};

// The Latin-1 letters made of a plain letter and one accent.
const Composite kComposites[] = {
    {0xC0, 'A', GRAVE},      {0xC1, 'A', ACUTE},      {0xC2, 'A', CIRCUMFLEX},
    {0xC3, 'A', TILDE},      {0xC4, 'A', DIAERESIS},  {0xC5, 'A', RING},
    {0xC7, 'C', CEDILLA},    {0xC8, 'E', GRAVE},      {0xC9, 'E', ACUTE},
    {0xCA, 'E', CIRCUMFLEX}, {0xCB, 'E', DIAERESIS},  {0xCC, 'I', GRAVE},
    {0xCD, 'I', ACUTE},      {0xCE, 'I', CIRCUMFLEX}, {0xCF, 'I', DIAERESIS},
    {0xD1, 'N', TILDE},      {0xD2, 'O', GRAVE},      {0xD3, 'O', ACUTE},
    {0xD4, 'O', CIRCUMFLEX}, {0xD5, 'O', TILDE},      {0xD6, 'O', DIAERESIS},
    {0xD9, 'U', GRAVE},      {0xDA, 'U', ACUTE},      {0xDB, 'U', CIRCUMFLEX},
    {0xDC, 'U', DIAERESIS},  {0xDD, 'Y', ACUTE},      {0xE0, 'a', GRAVE},
    {0xE1, 'a', ACUTE},      {0xE2, 'a', CIRCUMFLEX}, {0xE3, 'a', TILDE},
    {0xE4, 'a', DIAERESIS},  {0xE5, 'a', RING},       {0xE7, 'c', CEDILLA},
    {0xE8, 'e', GRAVE},      {0xE9, 'e', ACUTE},      {0xEA, 'e', CIRCUMFLEX},
    {0xEB, 'e', DIAERESIS},  {0xEC, 'i', GRAVE},      {0xED, 'i', ACUTE},
    {0xEE, 'i', CIRCUMFLEX}, {0xEF, 'i', DIAERESIS},  {0xF1, 'n', TILDE},
    {0xF2, 'o', GRAVE},      {0xF3, 'o', ACUTE},      {0xF4, 'o', CIRCUMFLEX},
    {0xF5, 'o', TILDE},      {0xF6, 'o', DIAERESIS},  {0xF9, 'u', GRAVE},
    {0xFA, 'u', ACUTE},      {0xFB, 'u', CIRCUMFLEX}, {0xFC, 'u', DIAERESIS},
};

constexpr double kSmallLetterTop = -5.0; // the x-height line of rowmans
constexpr double kAccentBottomCapital = -15.0;
constexpr double kAccentBottomSmall = -8.0;
constexpr double kBaseline = 9.0;

Glyph Compose(const Glyph& base, bool smallLetter, Accent accent)
{
    Glyph g;
    g.left = base.left;
    g.right = base.right;
    // A small letter loses what it draws above its x-height (the dot of the i).
    for (const Stroke& s : base.strokes) {
        bool above = smallLetter;
        for (const Pt& p : s)
            if (p.y >= kSmallLetterTop)
                above = false;
        if (!above)
            g.strokes.push_back(s);
    }
    if (g.strokes.empty())
        throw std::runtime_error("a base letter for an accent has no strokes");
    double minX = 1e9, maxX = -1e9;
    for (const Stroke& s : g.strokes)
        for (const Pt& p : s) {
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
        }
    const double cx = std::round((minX + maxX) / 2.0);
    const double cy = accent == CEDILLA ? kBaseline
                      : smallLetter     ? kAccentBottomSmall
                                        : kAccentBottomCapital;
    for (Stroke s : AccentStrokes(accent)) {
        for (Pt& p : s) {
            p.x += cx;
            p.y += cy;
        }
        g.strokes.push_back(std::move(s));
    }
    return g;
}

void PutU32(std::vector<unsigned char>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>((v >> (8 * i)) & 0xFF));
}

void PutF64(std::vector<unsigned char>& out, double d)
{
    std::uint64_t bits = 0;
    static_assert(sizeof(bits) == sizeof(d));
    std::memcpy(&bits, &d, sizeof(d));
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<unsigned char>((bits >> (8 * i)) & 0xFF));
}

void PutGlyph(std::vector<unsigned char>& out, const Glyph& g)
{
    std::vector<Pt> points;
    points.push_back(Pt{g.left, g.right});
    for (std::size_t s = 0; s < g.strokes.size(); ++s) {
        if (s > 0)
            points.push_back(Pt{kPenUpX, 0.0});
        points.insert(points.end(), g.strokes[s].begin(), g.strokes[s].end());
    }
    points.push_back(Pt{kPenUpX, kPenUpX});
    PutU32(out, std::uint32_t(points.size()));
    for (const Pt& p : points) {
        PutF64(out, p.x);
        PutF64(out, p.y);
    }
}

std::size_t TableSlot(int face, unsigned code)
{
    return code < 0x80 ? std::size_t(face) * 128 + code
                       : 1536 + std::size_t(face) * 128 + (code - 0x80);
}

void WriteArray(std::ostream& out, const char* name, const std::vector<unsigned char>& bytes)
{
    out << "alignas(8) const unsigned char " << name << "[" << bytes.size() << "] = {";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % 24 == 0)
            out << "\n";
        out << unsigned(bytes[i]) << ",";
    }
    out << "\n};\n\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: FontGen <folder of the .jhf files> <output .cpp>\n";
        return 2;
    }
    const std::string folder = argv[1];
    const std::string output = argv[2];
    try {
        std::vector<unsigned char> glyphBlock;
        std::vector<std::uint32_t> table(3072, kNoGlyph);
        std::uint32_t glyphCount = 0;
        std::vector<unsigned char> glyphData;

        for (int face = 0; face < kFaceCount; ++face) {
            const std::string path = folder + "/" + kFaceFiles[face] + ".jhf";
            const std::vector<Glyph> glyphs = ReadJhf(path);
            if (glyphs.size() < 95)
                Fail(path, 0, "fewer than the 95 glyphs of the printable ASCII codes");
            for (unsigned code = 0x20; code <= 0x7E; ++code) {
                if (face == kTextFace && code == 0x20)
                    continue; // the text face has no glyph for the space
                PutGlyph(glyphData, glyphs[code - 0x20]);
                table[TableSlot(face, code)] = glyphCount++;
            }
            if (face == kTextFace) {
                for (const Composite& c : kComposites) {
                    const bool small = c.base >= 'a' && c.base <= 'z';
                    PutGlyph(glyphData, Compose(glyphs[unsigned(c.base) - 0x20], small, c.accent));
                    table[TableSlot(face, c.code)] = glyphCount++;
                }
            }
        }
        PutU32(glyphBlock, glyphCount);
        glyphBlock.insert(glyphBlock.end(), glyphData.begin(), glyphData.end());
        std::vector<unsigned char> tableBlock;
        for (std::uint32_t v : table)
            PutU32(tableBlock, v);

        const std::string temp = output + ".tmp";
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            if (!out)
                Fail(temp, 0, "cannot create the output file");
            out << "// Generated by FontGen from the Hershey font files; do not edit.\n"
                   "// The Hershey Fonts were originally created by Dr. A. V. Hershey while\n"
                   "// working at the U. S. National Bureau of Standards. The format of the\n"
                   "// font data they come from was originally created by James Hurt,\n"
                   "// Cognition, Inc. (see res/HERSHEY-FONTS.txt).\n\n"
                   "#include \"model/CStrokeFont.h\"\n#include \"model/Utilities.h\"\n\n"
                   "namespace {\n\n";
            WriteArray(out, "kGlyphBlock", glyphBlock);
            WriteArray(out, "kCodeTable", tableBlock);
            out << "} // namespace\n\n"
                   "void RegisterStrokeFontData()\n{\n"
                   "    RegisterBinResource(kStrokeGlyphResource, kGlyphBlock, "
                   "sizeof(kGlyphBlock));\n"
                   "    RegisterBinResource(kStrokeCodeTableResource, kCodeTable, "
                   "sizeof(kCodeTable));\n"
                   "}\n";
            out.flush();
            if (!out)
                Fail(temp, 0, "writing the output failed");
        }
        if (std::rename(temp.c_str(), output.c_str()) != 0)
            Fail(output, 0, "cannot move the output into place");
        std::cout << "FontGen: " << glyphCount << " glyphs, " << glyphBlock.size()
                  << " bytes of glyph data\n";
    } catch (const std::exception& e) {
        std::cerr << "FontGen: error: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
