#include "platform/CArchive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <random>
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
        out.insert(out.end(), b.begin(), b.end());
    return out;
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
    unsigned m_baseSchema = 0;
    void Serialize(CArchive& ar) override
    {
        ar.SerializeClass(RUNTIME_CLASS(TBase));
        if (ar.IsLoading())
            m_baseSchema = ar.GetObjectSchema();
        ar.Exchange(m_value);
    }
};
IMPLEMENT_SERIAL(TBase, CObject, VERSIONABLE_SCHEMA | 1)

class TLine : public TBase
{
    DECLARE_SERIAL(TLine)
  public:
    double m_x = 0, m_y = 0;
    unsigned m_lineSchema = 0;
    void Serialize(CArchive& ar) override
    {
        TBase::Serialize(ar);
        ar.SerializeClass(RUNTIME_CLASS(TLine));
        if (ar.IsLoading())
            m_lineSchema = ar.GetObjectSchema();
        ar.Exchange(m_x);
        ar.Exchange(m_y);
    }
};
IMPLEMENT_SERIAL(TLine, TBase, VERSIONABLE_SCHEMA | 1)

class TGroup : public TBase
{
    DECLARE_SERIAL(TGroup)
  public:
    std::string m_name;
    std::list<TBase*> m_children;
    ~TGroup() override
    {
        for (TBase* c : m_children)
            delete c;
    }
    void Serialize(CArchive& ar) override
    {
        TBase::Serialize(ar);
        ar.SerializeClass(RUNTIME_CLASS(TGroup));
        ar.Exchange(m_name);
        if (ar.IsStoring())
            ar.WriteObjectList(m_children);
        else
            ar.ReadObjectList(m_children, RUNTIME_CLASS(TBase));
    }
};
IMPLEMENT_SERIAL(TGroup, TBase, VERSIONABLE_SCHEMA | 1)

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

// Each link owns the next one.
class TChain : public CObject, Counted
{
    DECLARE_SERIAL(TChain)
  public:
    CObject* m_next = nullptr;
    ~TChain() override { delete m_next; }
    void Serialize(CArchive& ar) override
    {
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

class TLate : public CObject, Counted
{
    DECLARE_SERIAL(TLate)
};
IMPLEMENT_SERIAL(TLate, CObject, VERSIONABLE_SCHEMA | 1)

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

// Reads one object from the bytes and expects the read to fail.
std::optional<Cause> ReadOneFails(const Bytes& bytes, const CRuntimeClass* expected)
{
    return FailureOf([&] {
        CArchive ar(bytes);
        delete ar.ReadObject(expected);
    });
}

class CArchiveTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        for (const CRuntimeClass* rc :
             {RUNTIME_CLASS(TBase), RUNTIME_CLASS(TLine), RUNTIME_CLASS(TGroup),
              RUNTIME_CLASS(TFixed), RUNTIME_CLASS(TChain), RUNTIME_CLASS(TTiny),
              RUNTIME_CLASS(TLate), RUNTIME_CLASS(TOther), &kNoFactory})
            CRuntimeClass::Register(rc);
        g_live = 0;
    }
    void TearDown() override { EXPECT_EQ(g_live, 0) << "objects leaked"; }
};

// ---------------------------------------------------------------------------
// Plain values, counts and strings

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
    const Bytes expected = {0xAB, 0x34, 0x12, 0xEF, 0xCD, 0xAB, 0x89, 0xFE, 0xFF, 0xFF, 0xFF,
                            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x3F, 'x',  'y'};
    EXPECT_EQ(bytes, expected);

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

    const Bytes three = {1, 2, 3};
    CArchive shortAr(three);
    EXPECT_EQ(FailureOf([&] { shortAr.ReadU32(); }), Cause::endOfFile);
    EXPECT_EQ(FailureOf([&] { shortAr.ReadF64(); }), Cause::endOfFile);
}

TEST_F(CArchiveTest, CountsEscapeFromFFFF)
{
    struct Case {
        std::size_t count;
        Bytes bytes;
    };
    const Case cases[] = {
        {0, {0x00, 0x00}},
        {0xFFFE, {0xFE, 0xFF}},
        {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
        {0x10000, {0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        const Bytes bytes = Stored([&](CArchive& ar) { ar.WriteCount(c.count); });
        EXPECT_EQ(bytes, c.bytes);
        CArchive ar(bytes);
        EXPECT_EQ(ar.ReadCount(0), c.count);
        EXPECT_TRUE(ar.AtEnd());
    }
}

TEST_F(CArchiveTest, CountsTheRemainingBytesCannotHoldAreRefused)
{
    const Bytes five = Bytes{0x03, 0x00} + Bytes(5, 0);
    CArchive ar5(five);
    EXPECT_EQ(FailureOf([&] { ar5.ReadCount(2); }), Cause::tooLarge);

    const Bytes six = Bytes{0x03, 0x00} + Bytes(6, 0);
    CArchive ar6(six);
    EXPECT_EQ(ar6.ReadCount(2), 3u);

    const Bytes huge = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
    CArchive arHuge(huge);
    EXPECT_EQ(FailureOf([&] { arHuge.ReadCount(); }), Cause::tooLarge);

    const Bytes cut = {0xFF, 0xFF, 0x01};
    CArchive arCut(cut);
    EXPECT_EQ(FailureOf([&] { arCut.ReadCount(); }), Cause::endOfFile);
}

TEST_F(CArchiveTest, StringLengthPrefixes)
{
    struct Case {
        std::size_t length;
        Bytes prefix;
    };
    const Case cases[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {65533, {0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
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
        EXPECT_TRUE(ar.AtEnd());
    }
}

TEST_F(CArchiveTest, MalformedStringsAreRefused)
{
    struct Case {
        const char* what;
        Bytes bytes;
        Cause cause;
    };
    const Case cases[] = {
        {"length past the end", {0x05, 'a', 'b'}, Cause::tooLarge},
        {"16-bit length past the end", {0xFF, 0x00, 0x01, 'a'}, Cause::tooLarge},
        {"32-bit length past the end",
         {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'},
         Cause::tooLarge},
        {"cut inside the prefix", {0xFF, 0x01}, Cause::endOfFile},
        {"cut inside the 32-bit prefix", {0xFF, 0xFF, 0xFF, 0x01, 0x00}, Cause::endOfFile},
        {"wide-string mark", {0xFF, 0xFE, 0xFF, 0x01, 'a', 0x00}, Cause::generic},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CArchive ar(c.bytes);
        EXPECT_EQ(FailureOf([&] { ar.ReadString(); }), c.cause);
    }
}

// ---------------------------------------------------------------------------
// Class and object tags

TEST_F(CArchiveTest, BoardLikeStreamWorkedForm)
{
    TLine first;
    first.m_value = 7;
    first.m_x = 1.5;
    first.m_y = -2.0;
    TLine second;
    second.m_value = 8;
    second.m_x = 0.0;
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
    EXPECT_TRUE(ar.AtEnd());
    ASSERT_EQ(loaded.size(), 2u);
    std::vector<std::unique_ptr<TBase>> owned(loaded.begin(), loaded.end());
    const auto* a = dynamic_cast<TLine*>(owned[0].get());
    const auto* b = dynamic_cast<TLine*>(owned[1].get());
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->m_value, 7);
    EXPECT_EQ(a->m_x, 1.5);
    EXPECT_EQ(a->m_y, -2.0);
    EXPECT_EQ(b->m_value, 8);
    EXPECT_EQ(b->m_y, 0.25);
    EXPECT_EQ(a->m_baseSchema, 1u);
    EXPECT_EQ(a->m_lineSchema, 1u);
    EXPECT_EQ(b->m_baseSchema, 1u);
    EXPECT_EQ(b->m_lineSchema, 1u);
}

TEST_F(CArchiveTest, SchemasReadFromTheFile)
{
    // A versionable class accepts any schema; a class seen again keeps the schema it
    // was first read with, not the class's own.
    const Bytes two = Bytes{0xFF, 0xFF, 0x07, 0x00, 0x05, 0x00} +
                      Ascii("TBase")                              // class 1, object 2
                      + Bytes{0x01, 0x80, 0x01, 0x00, 0x00, 0x00} // record, value 1
                      + Bytes{0x01, 0x80}                         // object 3
                      + Bytes{0x01, 0x80, 0x02, 0x00, 0x00, 0x00};
    {
        CArchive ar(two);
        std::unique_ptr<CObject> a(ar.ReadObject(RUNTIME_CLASS(TBase)));
        std::unique_ptr<CObject> b(ar.ReadObject(RUNTIME_CLASS(TBase)));
        EXPECT_EQ(static_cast<TBase*>(a.get())->m_baseSchema, 7u);
        EXPECT_EQ(static_cast<TBase*>(b.get())->m_baseSchema, 7u);
        EXPECT_EQ(static_cast<TBase*>(b.get())->m_value, 2);
    }

    // Reading the schema uses it up.
    const Bytes record = Bytes{0xFF, 0xFF, 0x07, 0x00, 0x05, 0x00} + Ascii("TBase");
    {
        CArchive ar(record);
        ar.SerializeClass(RUNTIME_CLASS(TBase));
        EXPECT_EQ(ar.GetObjectSchema(), 7u);
        EXPECT_EQ(ar.GetObjectSchema(), 0xFFFFFFFFu);
    }
    {
        CArchive ar(record);
        unsigned schema = 0;
        EXPECT_EQ(ar.ReadClass(RUNTIME_CLASS(CObject), &schema), RUNTIME_CLASS(TBase));
        EXPECT_EQ(schema, 7u);
        EXPECT_EQ(ar.GetObjectSchema(), 0xFFFFFFFFu);
    }

    // A class that is not versionable reads its own schema only; the object's body sees
    // the schema of its class tag.
    const Bytes fixed2 =
        Bytes{0xFF, 0xFF, 0x02, 0x00, 0x06, 0x00} + Ascii("TFixed") + Bytes{9, 0, 0, 0};
    {
        CArchive ar(fixed2);
        std::unique_ptr<CObject> ob(ar.ReadObject(nullptr));
        EXPECT_EQ(static_cast<TFixed*>(ob.get())->m_schema, 2u);
        EXPECT_EQ(static_cast<TFixed*>(ob.get())->m_value, 9);
    }
    const Bytes fixed1 =
        Bytes{0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00} + Ascii("TFixed") + Bytes{9, 0, 0, 0};
    EXPECT_EQ(ReadOneFails(fixed1, nullptr), Cause::badSchema);
}

TEST_F(CArchiveTest, ClassTagsThatAreRefused)
{
    const Bytes tbaseBody = {0x01, 0x80, 0x00, 0x00, 0x00, 0x00};
    struct Case {
        const char* what;
        Bytes bytes;
        const CRuntimeClass* expected;
        Cause cause;
    };
    const Case cases[] = {
        {"unknown class name", Bytes{0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00} + Ascii("TNope"), nullptr,
         Cause::badClass},
        {"class not derived from the expected one",
         Bytes{0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00} + Ascii("TOther"), RUNTIME_CLASS(TBase),
         Cause::badClass},
        {"base class where the derived one is expected",
         Bytes{0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00} + Ascii("TBase") + tbaseBody,
         RUNTIME_CLASS(TLine), Cause::badClass},
        {"class record inside a body naming another class",
         Bytes{0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00} + Ascii("TLine") +
             Bytes{0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00} + Ascii("TOther") + Bytes{0, 0, 0, 0},
         RUNTIME_CLASS(TBase), Cause::badClass},
        {"class that cannot be created",
         Bytes{0xFF, 0xFF, 0x01, 0x00, 0x0A, 0x00} + Ascii("TNoFactory"), nullptr, Cause::badClass},
        {"class index never entered", {0x05, 0x80}, nullptr, Cause::badIndex},
        {"class index zero", {0x00, 0x80}, nullptr, Cause::badIndex},
        {"big class index never entered",
         {0xFF, 0x7F, 0x05, 0x00, 0x00, 0x80},
         nullptr,
         Cause::badIndex},
        {"class index naming an object",
         Bytes{0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00} + Ascii("TBase") + tbaseBody + Bytes{0x02, 0x80},
         nullptr, Cause::badIndex},
        {"class name longer than the bytes left",
         Bytes{0xFF, 0xFF, 0x01, 0x00, 0x40, 0x00} + Ascii("TBase"), nullptr, Cause::tooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FailureOf([&] {
                      CArchive ar(c.bytes);
                      std::vector<std::unique_ptr<CObject>> read;
                      while (!ar.AtEnd())
                          read.emplace_back(ar.ReadObject(c.expected));
                  }),
                  c.cause);
    }

    // A class record where an object reference stands.
    const Bytes null = {0x00, 0x00};
    CArchive ar(null);
    EXPECT_EQ(FailureOf([&] { ar.SerializeClass(RUNTIME_CLASS(TBase)); }), Cause::badIndex);
}

TEST_F(CArchiveTest, BackReferences)
{
    TBase shared;
    shared.m_value = 5;
    const Bytes bytes = Stored([&](CArchive& ar) {
        ar.WriteObject(&shared);
        ar.WriteObject(&shared);
        ar.WriteObject(nullptr);
    });
    const Bytes expected = Bytes{0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00} +
                           Ascii("TBase")                              // class 1, object 2
                           + Bytes{0x01, 0x80, 0x05, 0x00, 0x00, 0x00} // body
                           + Bytes{0x02, 0x00}                         // object 2 again
                           + Bytes{0x00, 0x00};                        // null
    EXPECT_EQ(bytes, expected);

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
    const Bytes head(bytes.begin(), bytes.begin() + 17);
    struct Case {
        const char* what;
        Bytes tail;
        const CRuntimeClass* expected;
        Cause cause;
    };
    const Case cases[] = {
        {"index of a class", {0x01, 0x00}, nullptr, Cause::badIndex},
        {"index never entered", {0x09, 0x00}, nullptr, Cause::badIndex},
        {"big index never entered", {0xFF, 0x7F, 0x00, 0x00, 0x01, 0x00}, nullptr, Cause::badIndex},
        {"object of another kind", {0x02, 0x00}, RUNTIME_CLASS(TLine), Cause::badClass},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes stream = head + c.tail;
        CArchive ar(stream);
        ar.AllowBackReferences(true);
        std::unique_ptr<CObject> first(ar.ReadObject(nullptr));
        EXPECT_EQ(FailureOf([&] { ar.ReadObject(c.expected); }), c.cause);
    }
}

TEST_F(CArchiveTest, ObjectsOfAFailedReadCannotBeReferencedAfterwards)
{
    // Chain object 2 holds object 3, whose link names an unknown class; after the
    // failure, neither deleted object may be handed out again.
    const Bytes bytes = Bytes{0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00} + Ascii("TChain") +
                        Bytes{0x01, 0x80} + Bytes{0xFF, 0xFF, 0x01, 0x00, 0x04, 0x00} +
                        Ascii("Nope") + Bytes{0x03, 0x00} + Bytes{0x02, 0x00};
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
    struct Case {
        std::size_t tinyCount; // TTiny is class 1, its objects 2 .. N+1, TLate is class N+2
        Bytes lateSeen;        // TLate's second appearance
        Bytes firstLateAgain;  // back-reference to the first TLate object (index N+3)
    };
    const Case cases[] = {
        {0x7FFC, {0xFE, 0xFF}, {0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x00}},
        {0x7FFD, {0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x80}, {0xFF, 0x7F, 0x00, 0x80, 0x00, 0x00}},
        {40000, {0xFF, 0x7F, 0x42, 0x9C, 0x00, 0x80}, {0xFF, 0x7F, 0x43, 0x9C, 0x00, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tinyCount);
        std::vector<std::unique_ptr<CObject>> tiny;
        for (std::size_t i = 0; i < c.tinyCount + 1; ++i)
            tiny.push_back(std::make_unique<TTiny>());
        TLate late1, late2;
        const Bytes bytes = Stored([&](CArchive& ar) {
            for (std::size_t i = 0; i < c.tinyCount; ++i)
                ar.WriteObject(tiny[i].get());
            ar.WriteObject(&late1);
            ar.WriteObject(&late2);
            ar.WriteObject(&late1);
            ar.WriteObject(tiny[1].get());     // object 3
            ar.WriteObject(tiny.back().get()); // a new TTiny: class 1 is still short
        });
        const Bytes expected =
            Bytes{0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00} + Ascii("TTiny") +
            Repeat({0x01, 0x80}, c.tinyCount - 1) + Bytes{0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00} +
            Ascii("TLate") + c.lateSeen + c.firstLateAgain + Bytes{0x03, 0x00} + Bytes{0x01, 0x80};
        ASSERT_EQ(bytes.size(), expected.size());
        EXPECT_EQ(Bytes(bytes.end() - 40, bytes.end()), Bytes(expected.end() - 40, expected.end()));
        EXPECT_TRUE(bytes == expected);

        CArchive ar(bytes);
        ar.AllowBackReferences(true);
        std::vector<std::unique_ptr<CObject>> read;
        for (std::size_t i = 0; i < c.tinyCount; ++i)
            read.emplace_back(ar.ReadObject(RUNTIME_CLASS(TTiny)));
        CObject* l1 = ar.ReadObject(RUNTIME_CLASS(TLate));
        read.emplace_back(l1);
        CObject* l2 = ar.ReadObject(RUNTIME_CLASS(TLate));
        read.emplace_back(l2);
        EXPECT_NE(l1, l2);
        EXPECT_EQ(ar.ReadObject(RUNTIME_CLASS(TLate)), l1);
        EXPECT_EQ(ar.ReadObject(RUNTIME_CLASS(TTiny)), read[1].get());
        read.emplace_back(ar.ReadObject(RUNTIME_CLASS(TTiny)));
        EXPECT_TRUE(ar.AtEnd());
    }
}

// ---------------------------------------------------------------------------
// Nesting

Bytes ChainBytes(std::size_t links)
{
    return Bytes{0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00} + Ascii("TChain") +
           Repeat({0x01, 0x80}, links - 1) + Bytes{0x00, 0x00};
}

TEST_F(CArchiveTest, NestingDeeperThanTheLimitIsRefused)
{
    auto build = [](int links) {
        auto* head = new TChain;
        for (TChain* p = head; --links > 0; p = static_cast<TChain*>(p->m_next))
            p->m_next = new TChain;
        return std::unique_ptr<TChain>(head);
    };

    auto deepest = build(CArchive::kMaxDepth);
    const Bytes bytes = Stored([&](CArchive& ar) { ar.WriteObject(deepest.get()); });
    EXPECT_EQ(bytes, ChainBytes(CArchive::kMaxDepth));
    {
        CArchive ar(bytes);
        std::unique_ptr<CObject> ob(ar.ReadObject(RUNTIME_CLASS(TChain)));
        EXPECT_TRUE(ar.AtEnd());
    }

    auto tooDeep = build(CArchive::kMaxDepth + 1);
    EXPECT_EQ(FailureOf([&] { Stored([&](CArchive& ar) { ar.WriteObject(tooDeep.get()); }); }),
              Cause::tooDeep);

    EXPECT_EQ(ReadOneFails(ChainBytes(CArchive::kMaxDepth + 1), nullptr), Cause::tooDeep);
    EXPECT_EQ(ReadOneFails(ChainBytes(100000), nullptr), Cause::tooDeep);
}

// ---------------------------------------------------------------------------
// Direction and messages

TEST_F(CArchiveTest, CallsInTheWrongDirectionAreRefused)
{
    CArchive storing;
    EXPECT_EQ(FailureOf([&] { storing.ReadU8(); }), Cause::writeOnly);
    EXPECT_EQ(FailureOf([&] { storing.ReadString(); }), Cause::writeOnly);
    EXPECT_EQ(FailureOf([&] { storing.ReadCount(); }), Cause::writeOnly);
    EXPECT_EQ(FailureOf([&] { storing.ReadObject(nullptr); }), Cause::writeOnly);
    EXPECT_EQ(FailureOf([&] { storing.ReadClass(nullptr); }), Cause::writeOnly);

    const Bytes bytes = {0, 0, 0, 0};
    CArchive loading(bytes);
    TBase ob;
    EXPECT_EQ(FailureOf([&] { loading.WriteU8(1); }), Cause::readOnly);
    EXPECT_EQ(FailureOf([&] { loading.WriteString("x"); }), Cause::readOnly);
    EXPECT_EQ(FailureOf([&] { loading.WriteCount(1); }), Cause::readOnly);
    EXPECT_EQ(FailureOf([&] { loading.WriteObject(&ob); }), Cause::readOnly);
    EXPECT_EQ(FailureOf([&] { loading.WriteClass(RUNTIME_CLASS(TBase)); }), Cause::readOnly);
    EXPECT_EQ(loading.Position(), 0u);
}

TEST_F(CArchiveTest, MessagesNameTheFileAndTheProblem)
{
    const Bytes bytes = Bytes{0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00} + Ascii("TNope");
    CArchive ar(bytes);
    ar.SetFileName("board.vtx");
    try {
        ar.ReadObject(nullptr);
        FAIL() << "no exception";
    } catch (const CArchiveException& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find("board.vtx"), std::string::npos) << what;
        EXPECT_NE(what.find("TNope"), std::string::npos) << what;
    }
}

// ---------------------------------------------------------------------------
// Damaged streams

// A document shaped like a board file: a header, then a list of objects.
Bytes SampleDocument()
{
    auto line = [](int v, double x, double y) {
        auto* l = new TLine;
        l->m_value = v;
        l->m_x = x;
        l->m_y = y;
        return l;
    };
    std::list<CObject*> items;
    items.push_back(line(1, 10, 20));
    items.push_back(line(2, -1, 0.5));
    auto* inner = new TGroup;
    inner->m_name = "inner";
    inner->m_children.push_back(line(3, 1, 1));
    auto* outer = new TGroup;
    outer->m_name = std::string(300, 'g');
    outer->m_children.push_back(line(4, 2, 2));
    outer->m_children.push_back(inner);
    outer->m_children.push_back(new TBase);
    items.push_back(outer);
    auto* fixed = new TFixed;
    fixed->m_value = 42;
    items.push_back(fixed);
    auto* chain = new TChain;
    chain->m_next = new TChain;
    static_cast<TChain*>(chain->m_next)->m_next = new TChain;
    items.push_back(chain);
    items.push_back(line(5, 3, 4));

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
    try {
        ar.ReadObjectList(items, RUNTIME_CLASS(CObject));
    } catch (...) {
        for (CObject* p : items)
            delete p;
        throw;
    }
    const std::size_t n = items.size();
    for (CObject* p : items)
        delete p;
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

TEST_F(CArchiveTest, CorruptedStreamsFailCleanlyOrLoad)
{
    const Bytes doc = SampleDocument();
    std::mt19937 rng(20240611);
    int failures = 0, successes = 0;
    for (int variant = 0; variant < 4000; ++variant) {
        Bytes damaged = doc;
        const int edits = 1 + int(rng() % 3);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = rng() % damaged.size();
            switch (rng() % 4) {
            case 0:
                damaged[at] = 0xFF;
                break;
            case 1:
                damaged[at] = 0x00;
                break;
            case 2:
                damaged[at] = 0x7F;
                break;
            default:
                damaged[at] ^= std::uint8_t(1 + rng() % 255);
                break;
            }
        }
        SCOPED_TRACE(variant);
        try {
            ReadDocument(damaged);
            ++successes;
        } catch (const CArchiveException&) {
            ++failures;
        }
        ASSERT_EQ(g_live, 0);
    }
    EXPECT_GT(failures, 0);
    EXPECT_GT(successes, 0);
}

} // namespace
