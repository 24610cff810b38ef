#include "platform/CArchive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

void PrintTo(CArchiveException::Cause cause, std::ostream* os)
{
    *os << CArchiveException::CauseName(cause);
}

namespace
{

using Bytes = std::vector<std::uint8_t>;
using Cause = CArchiveException::Cause;

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Ascii(std::string_view s)
{
    return Bytes(s.begin(), s.end());
}

Bytes Repeat(const Bytes& b, std::size_t times)
{
    Bytes out;
    for (std::size_t i = 0; i < times; ++i)
        out = out + b;
    return out;
}

// A new-class tag of schema 1: 0xFFFF, schema, name length, name.
Bytes NewClass(std::string_view name)
{
    return Bytes{0xFF, 0xFF, 0x01, 0x00, std::uint8_t(name.size()), 0x00} + Ascii(name);
}

// Test objects count themselves, so that a leak shows even without a leak checker.
int g_live = 0;
struct Counted {
    Counted() { ++g_live; }
    Counted(const Counted&) { ++g_live; }
    ~Counted() { --g_live; }
};

// Shaped like a board object: its body opens with the base's class record.
class TBase : public CObject, Counted
{
    DECLARE_SERIAL(TBase)
  public:
    std::int32_t m_value = 0;
    unsigned m_schema = 0;
    void Serialize(CArchive& ar) override
    {
        ar.SerializeClass(RUNTIME_CLASS(TBase));
        if (ar.IsLoading())
            m_schema = ar.GetObjectSchema();
        ar.Exchange(m_value);
    }
};
IMPLEMENT_SERIAL(TBase, CObject, VERSIONABLE_SCHEMA | 1)

class TLine : public TBase
{
    DECLARE_SERIAL(TLine)
  public:
    double m_x = 0, m_y = 0;
    void Serialize(CArchive& ar) override
    {
        TBase::Serialize(ar);
        ar.SerializeClass(RUNTIME_CLASS(TLine));
        ar.Exchange(m_x);
        ar.Exchange(m_y);
    }
};
IMPLEMENT_SERIAL(TLine, TBase, VERSIONABLE_SCHEMA | 1)

// Not versionable: only schema 2 is read.
class TFixed : public CObject, Counted
{
    DECLARE_SERIAL(TFixed)
  public:
    std::int32_t m_value = 0;
    unsigned m_schema = 0;
    void Serialize(CArchive& ar) override
    {
        if (ar.IsLoading())
            m_schema = ar.GetObjectSchema();
        ar.Exchange(m_value);
    }
};
IMPLEMENT_SERIAL(TFixed, CObject, 2)

// Each link has a name and owns the next link.
class TChain : public CObject, Counted
{
    DECLARE_SERIAL(TChain)
  public:
    std::string m_name;
    CObject* m_next = nullptr;
    ~TChain() override { delete m_next; }
    void Serialize(CArchive& ar) override
    {
        ar.Exchange(m_name);
        if (ar.IsStoring())
            ar.WriteObject(m_next);
        else
            m_next = ar.ReadObject(RUNTIME_CLASS(TChain));
    }
};
IMPLEMENT_SERIAL(TChain, CObject, VERSIONABLE_SCHEMA | 1)

// Classes with empty bodies.
class TTiny : public CObject, Counted
{
    DECLARE_SERIAL(TTiny)
};
IMPLEMENT_SERIAL(TTiny, CObject, VERSIONABLE_SCHEMA | 1)
class TOther : public CObject, Counted
{
    DECLARE_SERIAL(TOther)
};
IMPLEMENT_SERIAL(TOther, CObject, VERSIONABLE_SCHEMA | 1)

const CRuntimeClass kNoFactory = {"TNoFactory", 1, nullptr, RUNTIME_CLASS(CObject)};

template <class F> Bytes Stored(F f)
{
    CArchive ar;
    f(ar);
    return ar.TakeBytes();
}

template <class F> std::optional<Cause> FailureOf(F f)
{
    try {
        f();
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return std::nullopt;
}

// Reads the bytes with f and returns the failure, if any.
template <class F> std::optional<Cause> FailureReading(const Bytes& bytes, F f)
{
    return FailureOf([&] {
        CArchive ar(bytes);
        f(ar);
    });
}

// Reads objects until the bytes end, deleting them.
std::optional<Cause> ReadAllFails(const Bytes& bytes, const CRuntimeClass* expected)
{
    return FailureReading(bytes, [&](CArchive& ar) {
        std::vector<std::unique_ptr<CObject>> read;
        while (!ar.AtEnd())
            read.emplace_back(ar.ReadObject(expected));
    });
}

class CArchiveTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        for (const CRuntimeClass* rc :
             {RUNTIME_CLASS(TBase), RUNTIME_CLASS(TLine), RUNTIME_CLASS(TFixed),
              RUNTIME_CLASS(TChain), RUNTIME_CLASS(TTiny), RUNTIME_CLASS(TOther), &kNoFactory})
            CRuntimeClass::Register(rc);
        g_live = 0;
    }
    void TearDown() override { EXPECT_EQ(g_live, 0) << "objects leaked"; }
};

TEST_F(CArchiveTest, PlainValuesAreLittleEndian)
{
    const Bytes bytes = Stored([](CArchive& ar) {
        ar.WriteU8(0xAB);
        ar.WriteU16(0x1234);
        ar.WriteU32(0x89ABCDEF);
        ar.WriteI32(-2);
        ar.WriteF64(1.5);
        ar.WriteBytes("xy", 2);
    });
    EXPECT_EQ(bytes, (Bytes{0xAB, 0x34, 0x12, 0xEF, 0xCD, 0xAB, 0x89, 0xFE, 0xFF, 0xFF, 0xFF,
                            0,    0,    0,    0,    0,    0,    0xF8, 0x3F, 'x',  'y'}));
    CArchive ar(bytes);
    EXPECT_EQ(ar.ReadU8(), 0xAB);
    EXPECT_EQ(ar.ReadU16(), 0x1234);
    EXPECT_EQ(ar.ReadU32(), 0x89ABCDEFu);
    EXPECT_EQ(ar.ReadI32(), -2);
    EXPECT_EQ(ar.ReadF64(), 1.5);
    char xy[2] = {};
    ar.ReadBytes(xy, 2);
    EXPECT_EQ(std::string(xy, 2), "xy");
    EXPECT_TRUE(ar.AtEnd());
    EXPECT_EQ(FailureOf([&] { ar.ReadU8(); }), Cause::endOfFile);
    EXPECT_EQ(FailureReading({1, 2, 3}, [](CArchive& a) { a.ReadU32(); }), Cause::endOfFile);
}

TEST_F(CArchiveTest, CountsEscapeFromFFFFAndMustFitTheBytesLeft)
{
    const struct {
        std::size_t count;
        Bytes bytes;
    } cases[] = {{0, {0x00, 0x00}},
                 {0xFFFE, {0xFE, 0xFF}},
                 {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
                 {0x10000, {0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        const Bytes bytes = Stored([&](CArchive& ar) { ar.WriteCount(c.count); });
        EXPECT_EQ(bytes, c.bytes);
        CArchive ar(bytes);
        EXPECT_EQ(ar.ReadCount(0), c.count);
        EXPECT_TRUE(ar.AtEnd());
    }

    // Three items of at least two bytes need six bytes after the count.
    auto readCount = [](const Bytes& b) {
        return FailureReading(b, [](CArchive& ar) { ar.ReadCount(2); });
    };
    EXPECT_EQ(readCount(Bytes{0x03, 0x00} + Bytes(5, 0)), Cause::tooLarge);
    EXPECT_FALSE(readCount(Bytes{0x03, 0x00} + Bytes(6, 0)).has_value());
    EXPECT_EQ(readCount({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}), Cause::tooLarge);
    EXPECT_EQ(readCount({0xFF, 0xFF, 0x01}), Cause::endOfFile);
}

TEST_F(CArchiveTest, StringLengthPrefixes)
{
    const struct {
        std::size_t length;
        Bytes prefix;
    } cases[] = {{0, {0x00}},
                 {254, {0xFE}},
                 {255, {0xFF, 0xFF, 0x00}},
                 {65533, {0xFF, 0xFD, 0xFF}},
                 {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
                 {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        std::string s(c.length, '\0');
        for (std::size_t i = 0; i < s.size(); ++i)
            s[i] = char(i * 7 + 1);
        const Bytes bytes = Stored([&](CArchive& ar) {
            ar.WriteString(s);
            ar.WriteU8(0x5A);
        });
        ASSERT_EQ(bytes.size(), c.prefix.size() + c.length + 1);
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + c.prefix.size()), c.prefix);
        CArchive ar(bytes);
        EXPECT_EQ(ar.ReadString(), s);
        EXPECT_EQ(ar.ReadU8(), 0x5A);
    }

    const struct {
        const char* what;
        Bytes bytes;
        Cause cause;
    } bad[] = {{"length past the end", {0x05, 'a', 'b'}, Cause::tooLarge},
               {"16-bit length past the end", {0xFF, 0x00, 0x01, 'a'}, Cause::tooLarge},
               {"32-bit length past the end",
                {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'},
                Cause::tooLarge},
               {"cut inside the prefix", {0xFF, 0x01}, Cause::endOfFile},
               {"cut inside the 32-bit prefix", {0xFF, 0xFF, 0xFF, 0x01, 0x00}, Cause::endOfFile},
               {"wide-string mark", {0xFF, 0xFE, 0xFF, 0x01, 'a', 0x00}, Cause::generic}};
    for (const auto& c : bad) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FailureReading(c.bytes, [](CArchive& ar) { ar.ReadString(); }), c.cause);
    }
}

TEST_F(CArchiveTest, BoardLikeStreamWorkedForm)
{
    TLine first, second;
    first.m_value = 7;
    first.m_x = 1.5;
    first.m_y = -2.0;
    second.m_value = 8;
    second.m_y = 0.25;
    const std::list<TLine*> lines = {&first, &second};
    const Bytes bytes = Stored([&](CArchive& ar) { ar.WriteObjectList(lines); });

    const Bytes expected = Bytes{0x02, 0x00}                           // count 2
                           + Bytes{0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00} // new class, schema 1
                           + Ascii("TLine")                            //   class 1; object 2
                           + Bytes{0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00} // class record, new
                           + Ascii("TBase")                            //   class 3
                           + Bytes{0x07, 0x00, 0x00, 0x00}             // value 7
                           + Bytes{0x01, 0x80}                         // class record TLine, seen
                           + Bytes{0, 0, 0, 0, 0, 0, 0xF8, 0x3F}       // 1.5
                           + Bytes{0, 0, 0, 0, 0, 0, 0x00, 0xC0}       // -2.0
                           + Bytes{0x01, 0x80}                         // TLine seen: object 4
                           + Bytes{0x03, 0x80}                         // class record TBase, seen
                           + Bytes{0x08, 0x00, 0x00, 0x00}             // value 8
                           + Bytes{0x01, 0x80}                         // class record TLine, seen
                           + Bytes{0, 0, 0, 0, 0, 0, 0x00, 0x00}       // 0.0
                           + Bytes{0, 0, 0, 0, 0, 0, 0xD0, 0x3F};      // 0.25
    EXPECT_EQ(bytes, expected);

    CArchive ar(bytes);
    std::list<TBase*> loaded;
    ar.ReadObjectList(loaded, RUNTIME_CLASS(TBase));
    std::vector<std::unique_ptr<TBase>> owned(loaded.begin(), loaded.end());
    EXPECT_TRUE(ar.AtEnd());
    ASSERT_EQ(owned.size(), 2u);
    EXPECT_NE(dynamic_cast<TLine*>(owned[1].get()), nullptr);
    EXPECT_EQ(owned[1]->m_schema, 1u);
    EXPECT_EQ(Stored([&](CArchive& out) { out.WriteObjectList(loaded); }), bytes);
}

TEST_F(CArchiveTest, SchemasReadFromTheFile)
{
    // A versionable class accepts any schema; a class seen again keeps the schema it
    // was first read with, not the class's own.
    const Bytes two = Bytes{0xFF, 0xFF, 0x07, 0x00, 0x05, 0x00} + Ascii("TBase") +
                      Bytes{0x01, 0x80, 0x01, 0x00, 0x00, 0x00} + Bytes{0x01, 0x80} +
                      Bytes{0x01, 0x80, 0x02, 0x00, 0x00, 0x00};
    {
        CArchive ar(two);
        std::unique_ptr<CObject> a(ar.ReadObject(RUNTIME_CLASS(TBase)));
        std::unique_ptr<CObject> b(ar.ReadObject(RUNTIME_CLASS(TBase)));
        EXPECT_EQ(static_cast<TBase*>(a.get())->m_schema, 7u);
        EXPECT_EQ(static_cast<TBase*>(b.get())->m_schema, 7u);
        EXPECT_EQ(static_cast<TBase*>(b.get())->m_value, 2);
    }
    // Reading the schema uses it up.
    const Bytes record(two.begin(), two.begin() + 11);
    {
        CArchive ar(record);
        ar.SerializeClass(RUNTIME_CLASS(TBase));
        EXPECT_EQ(ar.GetObjectSchema(), 7u);
        EXPECT_EQ(ar.GetObjectSchema(), 0xFFFFFFFFu);
    }
    // A class that is not versionable reads its own schema only.
    Bytes fixed = Bytes{0xFF, 0xFF, 0x02, 0x00, 0x06, 0x00} + Ascii("TFixed") + Bytes{9, 0, 0, 0};
    {
        CArchive ar(fixed);
        std::unique_ptr<CObject> ob(ar.ReadObject(nullptr));
        EXPECT_EQ(static_cast<TFixed*>(ob.get())->m_schema, 2u);
        EXPECT_EQ(static_cast<TFixed*>(ob.get())->m_value, 9);
    }
    fixed[2] = 0x01;
    EXPECT_EQ(ReadAllFails(fixed, nullptr), Cause::badSchema);
}

TEST_F(CArchiveTest, ClassTagsThatAreRefused)
{
    const Bytes tbase = NewClass("TBase") + Bytes{0x01, 0x80, 0x00, 0x00, 0x00, 0x00};
    const struct {
        const char* what;
        Bytes bytes;
        const CRuntimeClass* expected;
        Cause cause;
    } cases[] = {
        {"unknown class name", NewClass("TNope"), nullptr, Cause::badClass},
        {"class not derived from the expected one", NewClass("TOther"), RUNTIME_CLASS(TBase),
         Cause::badClass},
        {"base class where the derived one is expected", tbase, RUNTIME_CLASS(TLine),
         Cause::badClass},
        {"class record inside a body naming another class",
         NewClass("TLine") + NewClass("TOther") + Bytes{0, 0, 0, 0}, RUNTIME_CLASS(TBase),
         Cause::badClass},
        {"class that cannot be created", NewClass("TNoFactory"), nullptr, Cause::badClass},
        {"class index never entered", {0x05, 0x80}, nullptr, Cause::badIndex},
        {"class index zero", {0x00, 0x80}, nullptr, Cause::badIndex},
        {"big class index never entered",
         {0xFF, 0x7F, 0x05, 0x00, 0x00, 0x80},
         nullptr,
         Cause::badIndex},
        {"class index naming an object", tbase + Bytes{0x02, 0x80}, nullptr, Cause::badIndex},
        {"class name longer than the bytes left",
         Bytes{0xFF, 0xFF, 0x01, 0x00, 0x40, 0x00} + Ascii("TBase"), nullptr, Cause::tooLarge}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ReadAllFails(c.bytes, c.expected), c.cause);
    }
    // A class record where an object reference stands.
    EXPECT_EQ(
        FailureReading({0x00, 0x00}, [](CArchive& ar) { ar.SerializeClass(RUNTIME_CLASS(TBase)); }),
        Cause::badIndex);

    // The message names the file and the class.
    const Bytes nope = NewClass("TNope");
    CArchive ar(nope);
    ar.SetFileName("board.vtx");
    try {
        ar.ReadObject(nullptr);
        ADD_FAILURE() << "no exception";
    } catch (const CArchiveException& e) {
        const std::string what = e.what();
        EXPECT_TRUE(what.find("board.vtx") != what.npos && what.find("TNope") != what.npos) << what;
    }
}

TEST_F(CArchiveTest, BackReferences)
{
    TBase shared;
    shared.m_value = 5;
    const auto twice = [&](bool allowed) {
        return Stored([&](CArchive& ar) {
            ar.AllowBackReferences(allowed);
            ar.WriteObject(&shared);
            ar.WriteObject(&shared);
            ar.WriteObject(nullptr);
        });
    };
    const Bytes bytes = twice(true);
    const Bytes head = NewClass("TBase") + Bytes{0x01, 0x80, 0x05, 0x00, 0x00, 0x00};
    EXPECT_EQ(bytes, head + Bytes({0x02, 0x00, 0x00, 0x00})); // object 2 again, null
    {
        // Where references back are not allowed, the object is written whole again and a
        // reader that refuses them reads both copies.
        const Bytes whole = twice(false);
        EXPECT_EQ(whole,
                  head + Bytes({0x01, 0x80, 0x01, 0x80, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00}));
        CArchive ar(whole);
        std::unique_ptr<CObject> first(ar.ReadObject(RUNTIME_CLASS(TBase)));
        std::unique_ptr<CObject> second(ar.ReadObject(RUNTIME_CLASS(TBase)));
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(static_cast<TBase*>(second.get())->m_value, 5);
        EXPECT_EQ(ar.ReadObject(RUNTIME_CLASS(TBase)), nullptr);
        EXPECT_TRUE(ar.AtEnd());
    }
    {
        CArchive ar(bytes);
        std::unique_ptr<CObject> first(ar.ReadObject(RUNTIME_CLASS(TBase)));
        EXPECT_EQ(FailureOf([&] { ar.ReadObject(RUNTIME_CLASS(TBase)); }), Cause::badIndex);
    }
    {
        CArchive ar(bytes);
        ar.AllowBackReferences(true);
        std::unique_ptr<CObject> first(ar.ReadObject(RUNTIME_CLASS(TBase)));
        EXPECT_EQ(ar.ReadObject(RUNTIME_CLASS(TBase)), first.get());
        EXPECT_EQ(ar.ReadObject(RUNTIME_CLASS(TBase)), nullptr);
        EXPECT_TRUE(ar.AtEnd());
    }
    // Even when allowed, a reference must name an object that was read, of the kind expected.
    const struct {
        const char* what;
        Bytes tail;
        const CRuntimeClass* expected;
        Cause cause;
    } cases[] = {
        {"index of a class", {0x01, 0x00}, nullptr, Cause::badIndex},
        {"index never entered", {0x09, 0x00}, nullptr, Cause::badIndex},
        {"big index never entered", {0xFF, 0x7F, 0x00, 0x00, 0x01, 0x00}, nullptr, Cause::badIndex},
        {"object of another kind", {0x02, 0x00}, RUNTIME_CLASS(TLine), Cause::badClass}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FailureReading(head + c.tail,
                                 [&](CArchive& ar) {
                                     ar.AllowBackReferences(true);
                                     std::unique_ptr<CObject> first(ar.ReadObject(nullptr));
                                     ar.ReadObject(c.expected);
                                 }),
                  c.cause);
    }
}

TEST_F(CArchiveTest, ObjectsOfAFailedReadCannotBeReferencedAfterwards)
{
    // Chain object 2 holds object 3, whose link names an unknown class; after the
    // failure, neither deleted object may be handed out again.
    const Bytes bytes = NewClass("TChain") + Bytes{0x00, 0x01, 0x80, 0x00} + NewClass("Nope") +
                        Bytes{0x03, 0x00} + Bytes{0x02, 0x00};
    CArchive ar(bytes);
    ar.AllowBackReferences(true);
    EXPECT_EQ(FailureOf([&] { ar.ReadObject(nullptr); }), Cause::badClass);
    EXPECT_EQ(g_live, 0);
    EXPECT_EQ(FailureOf([&] { ar.ReadObject(nullptr); }), Cause::badIndex);
    EXPECT_EQ(FailureOf([&] { ar.ReadObject(nullptr); }), Cause::badIndex);
}

// N objects of one class push the running index up to a given value; a class first seen
// there shows its second appearance in the short or the long form.
TEST_F(CArchiveTest, IndicesPastTheShortTagRange)
{
    const struct {
        std::size_t tinyCount; // TTiny is class 1, its objects 2 .. N+1, TOther is class N+2
        Bytes otherSeen;       // TOther's second appearance
        Bytes firstOtherAgain; // back-reference to the first TOther object (index N+3)
    } cases[] = {
        {0x7FFC, {0xFE, 0xFF}, {0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x00}},
        {0x7FFD, {0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x80}, {0xFF, 0x7F, 0x00, 0x80, 0x00, 0x00}},
        {40000, {0xFF, 0x7F, 0x42, 0x9C, 0x00, 0x80}, {0xFF, 0x7F, 0x43, 0x9C, 0x00, 0x00}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tinyCount);
        std::vector<std::unique_ptr<CObject>> tiny;
        for (std::size_t i = 0; i < c.tinyCount + 1; ++i)
            tiny.push_back(std::make_unique<TTiny>());
        TOther other1, other2;
        const Bytes bytes = Stored([&](CArchive& ar) {
            ar.AllowBackReferences(true);
            for (std::size_t i = 0; i < c.tinyCount; ++i)
                ar.WriteObject(tiny[i].get());
            ar.WriteObject(&other1);
            ar.WriteObject(&other2);
            ar.WriteObject(&other1);
            ar.WriteObject(tiny[1].get());     // object 3
            ar.WriteObject(tiny.back().get()); // a new TTiny: class 1 is still short
        });
        const Bytes expected = NewClass("TTiny") + Repeat({0x01, 0x80}, c.tinyCount - 1) +
                               NewClass("TOther") + c.otherSeen + c.firstOtherAgain +
                               Bytes{0x03, 0x00} + Bytes{0x01, 0x80};
        ASSERT_EQ(bytes.size(), expected.size());
        EXPECT_TRUE(bytes == expected);

        CArchive ar(bytes);
        ar.AllowBackReferences(true);
        std::vector<std::unique_ptr<CObject>> read;
        for (std::size_t i = 0; i < c.tinyCount + 2; ++i)
            read.emplace_back(ar.ReadObject(nullptr));
        EXPECT_EQ(ar.ReadObject(RUNTIME_CLASS(TOther)), read[c.tinyCount].get());
        EXPECT_EQ(ar.ReadObject(RUNTIME_CLASS(TTiny)), read[1].get());
        read.emplace_back(ar.ReadObject(RUNTIME_CLASS(TTiny)));
        EXPECT_TRUE(ar.AtEnd());
    }
}

TEST_F(CArchiveTest, NestingDeeperThanTheLimitIsRefused)
{
    auto build = [](int links) {
        auto head = std::make_unique<TChain>();
        for (TChain* p = head.get(); --links > 0; p = static_cast<TChain*>(p->m_next))
            p->m_next = new TChain;
        return head;
    };
    auto chainBytes = [](std::size_t links) {
        return NewClass("TChain") + Bytes{0x00} + Repeat({0x01, 0x80, 0x00}, links - 1) +
               Bytes{0x00, 0x00};
    };
    auto deepest = build(CArchive::kMaxDepth);
    const Bytes bytes = Stored([&](CArchive& ar) { ar.WriteObject(deepest.get()); });
    EXPECT_EQ(bytes, chainBytes(CArchive::kMaxDepth));
    EXPECT_FALSE(ReadAllFails(bytes, RUNTIME_CLASS(TChain)).has_value());

    auto tooDeep = build(CArchive::kMaxDepth + 1);
    EXPECT_EQ(FailureOf([&] { Stored([&](CArchive& ar) { ar.WriteObject(tooDeep.get()); }); }),
              Cause::tooDeep);
    EXPECT_EQ(ReadAllFails(chainBytes(CArchive::kMaxDepth + 1), nullptr), Cause::tooDeep);
    EXPECT_EQ(ReadAllFails(chainBytes(100000), nullptr), Cause::tooDeep);
}

TEST_F(CArchiveTest, CallsInTheWrongDirectionAreRefused)
{
    CArchive storing;
    TBase ob;
    for (auto read :
         {+[](CArchive& ar) { ar.ReadU8(); }, +[](CArchive& ar) { ar.ReadString(); },
          +[](CArchive& ar) { ar.ReadCount(); }, +[](CArchive& ar) { ar.ReadObject(nullptr); }})
        EXPECT_EQ(FailureOf([&] { read(storing); }), Cause::writeOnly);
    const Bytes bytes = {0, 0, 0, 0};
    CArchive loading(bytes);
    EXPECT_EQ(FailureOf([&] { loading.WriteString("x"); }), Cause::readOnly);
    EXPECT_EQ(FailureOf([&] { loading.WriteCount(1); }), Cause::readOnly);
    EXPECT_EQ(FailureOf([&] { loading.WriteObject(&ob); }), Cause::readOnly);
    EXPECT_EQ(loading.Position(), 0u);
}

// A document shaped like a board file: a header, then a list of objects, some nested.
Bytes SampleDocument()
{
    auto line = [](int v, double x) {
        auto* l = new TLine;
        l->m_value = v;
        l->m_x = x;
        return l;
    };
    auto* chain = new TChain;
    chain->m_name = std::string(300, 'g');
    auto* inner = new TChain;
    inner->m_name = "inner";
    inner->m_next = new TChain;
    chain->m_next = inner;
    auto* fixed = new TFixed;
    fixed->m_value = 42;
    std::list<CObject*> items = {line(1, 10), line(2, -1), chain, fixed, new TBase, line(5, 3)};
    const Bytes bytes = Stored([&](CArchive& ar) {
        ar.WriteI32(-17);
        ar.WriteF64(2.5);
        ar.WriteObjectList(items);
    });
    for (CObject* p : items)
        delete p;
    return bytes;
}

// Reads a document, deleting whatever was read; returns the number of objects.
std::size_t ReadDocument(const Bytes& bytes)
{
    CArchive ar(bytes);
    ar.ReadI32();
    ar.ReadF64();
    std::list<CObject*> items;
    auto clear = [&] {
        for (CObject* p : items)
            delete p;
    };
    try {
        ar.ReadObjectList(items, RUNTIME_CLASS(CObject));
    } catch (...) {
        clear();
        throw;
    }
    const std::size_t n = items.size();
    clear();
    return n;
}

TEST_F(CArchiveTest, EveryTruncationFailsCleanly)
{
    const Bytes doc = SampleDocument();
    ASSERT_EQ(ReadDocument(doc), 6u);
    for (std::size_t len = 0; len < doc.size(); ++len) {
        SCOPED_TRACE(len);
        const Bytes cut(doc.begin(), doc.begin() + len);
        EXPECT_TRUE(FailureOf([&] { ReadDocument(cut); }).has_value());
        ASSERT_EQ(g_live, 0);
    }
}

} // namespace
