#pragma once
// Run-time class information: a class that declares it names itself and its base, so that code
// can ask an object what it is (GetRuntimeClass, IsKindOf) without the compiler's RTTI.

#include <windows.h>

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;

    // TRUE when this class is baseClass or derives from it.
    BOOL IsDerivedFrom(const CRuntimeClass* baseClass) const;
};

class CObject {
public:
    static const CRuntimeClass classCObject;

    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    BOOL IsKindOf(const CRuntimeClass* runtimeClass) const;
};

#define RUNTIME_CLASS(className) (&className::class##className)

#define DECLARE_DYNAMIC(className)                                                                 \
public:                                                                                            \
    static const CRuntimeClass class##className;                                                   \
    const CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(className, baseClassName)                                                \
    const CRuntimeClass className::class##className = {#className, RUNTIME_CLASS(baseClassName)};  \
    const CRuntimeClass* className::GetRuntimeClass() const {                                      \
        return RUNTIME_CLASS(className);                                                           \
    }
