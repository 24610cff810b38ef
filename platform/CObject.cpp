#include "CObject.h"

#include <map>
#include <mutex>
#include <ostream>
#include <string>

namespace
{
std::mutex g_registryLock;
std::map<std::string, const CRuntimeClass*, std::less<>>& Registry()
{
    static std::map<std::string, const CRuntimeClass*, std::less<>> registry;
    return registry;
}
} // namespace

const CRuntimeClass CObject::classCObject = {"CObject", 0xFFFF, nullptr, nullptr};

CObject* CRuntimeClass::CreateObject() const
{
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* rc = this; rc; rc = rc->m_pBaseClass)
        if (rc == base)
            return true;
    return false;
}

void CRuntimeClass::Register(const CRuntimeClass* rc)
{
    std::lock_guard<std::mutex> lock(g_registryLock);
    Registry()[rc->m_lpszClassName] = rc;
}

const CRuntimeClass* CRuntimeClass::Find(std::string_view name)
{
    std::lock_guard<std::mutex> lock(g_registryLock);
    auto it = Registry().find(name);
    return it == Registry().end() ? nullptr : it->second;
}

const CRuntimeClass* CObject::GetRuntimeClass() const
{
    return &classCObject;
}

void CObject::Serialize(CArchive&) {}

void CObject::Dump(std::ostream& out) const
{
    out << GetRuntimeClass()->m_lpszClassName;
}

bool CObject::IsKindOf(const CRuntimeClass* rc) const
{
    return GetRuntimeClass()->IsDerivedFrom(rc);
}
