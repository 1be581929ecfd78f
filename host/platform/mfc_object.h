#pragma once
// CObject and run-time class records with dynamic creation.
//
//   class CMyBar : public CWnd { DECLARE_DYNCREATE(CMyBar) ... };
//   IMPLEMENT_DYNCREATE(CMyBar, CWnd)
//   CObject* made = RUNTIME_CLASS(CMyBar)->CreateObject();  // caller owns it

#include "win_types.h"

class CObject;

struct CRuntimeClass {
  const char* m_lpszClassName;
  int m_nObjectSize;
  CObject* (*m_pfnCreateObject)(); // null: not dynamically creatable
  CRuntimeClass* (*m_pfnGetBaseClass)();

  // A new object of the class, owned by the caller; null when the class
  // cannot be created dynamically.
  CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
  BOOL IsDerivedFrom(const CRuntimeClass* base) const;
};

class CObject {
public:
  virtual CRuntimeClass* GetRuntimeClass() const;
  virtual ~CObject() = default;
  BOOL IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }
  static CRuntimeClass* GetThisClass();

protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name)                                                                \
public:                                                                                            \
  static CRuntimeClass* GetThisClass();                                                            \
  CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name)                                                              \
  DECLARE_DYNAMIC(class_name)                                                                      \
  static CObject* CreateObject();

#define KYREL_IMPLEMENT_RUNTIMECLASS(class_name, base_name, create)                                \
  CRuntimeClass* class_name::GetThisClass() {                                                      \
    static CRuntimeClass record = {#class_name, static_cast<int>(sizeof(class_name)), create,      \
                                   &base_name::GetThisClass};                                      \
    return &record;                                                                                \
  }                                                                                                \
  CRuntimeClass* class_name::GetRuntimeClass() const {                                             \
    return class_name::GetThisClass();                                                             \
  }

#define IMPLEMENT_DYNAMIC(class_name, base_name)                                                   \
  KYREL_IMPLEMENT_RUNTIMECLASS(class_name, base_name, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_name)                                                 \
  CObject* class_name::CreateObject() {                                                            \
    return new class_name;                                                                         \
  }                                                                                                \
  KYREL_IMPLEMENT_RUNTIMECLASS(class_name, base_name, &class_name::CreateObject)
