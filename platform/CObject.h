// Persistent objects: every class that goes into an archive derives from CObject and
// carries a CRuntimeClass record (name, schema, factory, base class). The records are
// entered in a registry by explicit calls, so that an archive can create an object
// from the class name it reads and check that it derives from the class expected.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string_view>

class CArchive;
class CObject;

// Marks a schema as versionable: the archive hands the stored schema to the object
// instead of refusing a schema that differs from the class's own.
constexpr unsigned VERSIONABLE_SCHEMA = 0x80000000u;

struct CRuntimeClass {
    const char* m_lpszClassName;
    unsigned m_wSchema;                // written to archives as a 16-bit value
    CObject* (*m_pfnCreateObject)();   // null for classes that cannot be created by name
    const CRuntimeClass* m_pBaseClass; // null for CObject

    CObject* CreateObject() const;
    bool IsDerivedFrom(const CRuntimeClass* base) const;
    std::uint16_t StoredSchema() const { return std::uint16_t(m_wSchema & 0xFFFF); }
    bool IsVersionable() const { return (m_wSchema & VERSIONABLE_SCHEMA) != 0; }

    // The registry: name -> record. Register is idempotent; Find returns null for
    // an unknown name.
    static void Register(const CRuntimeClass* rc);
    static const CRuntimeClass* Find(std::string_view name);
};

class CObject
{
  public:
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    virtual void Serialize(CArchive& ar);
    virtual void AssertValid() const {}
    virtual void Dump(std::ostream& out) const;

    bool IsKindOf(const CRuntimeClass* rc) const;

    static const CRuntimeClass classCObject;
};

#define RUNTIME_CLASS(name) (&name::class##name)

// In the class body: the run-time class record and its accessors.
#define DECLARE_SERIAL(name)                                                                       \
  public:                                                                                          \
    static const CRuntimeClass class##name;                                                        \
    const CRuntimeClass* GetRuntimeClass() const override;                                         \
    static CObject* CreateObject();

// In one source file: the record with its schema and base class. An object read from an
// archive is made by `make` (an expression giving a new object of the class): for
// IMPLEMENT_SERIAL, the default constructor.
#define IMPLEMENT_SERIAL_MADE_BY(name, base, schema, make)                                         \
    CObject* name::CreateObject()                                                                  \
    {                                                                                              \
        return make;                                                                               \
    }                                                                                              \
    const CRuntimeClass name::class##name = {#name, (schema), &name::CreateObject,                 \
                                             RUNTIME_CLASS(base)};                                 \
    const CRuntimeClass* name::GetRuntimeClass() const                                             \
    {                                                                                              \
        return RUNTIME_CLASS(name);                                                                \
    }
#define IMPLEMENT_SERIAL(name, base, schema)                                                       \
    IMPLEMENT_SERIAL_MADE_BY(name, base, schema,                                                   \
                             new name) /* NOLINT(bugprone-macro-parentheses): a type name */
