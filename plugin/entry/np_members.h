// Entries of an instance's member tables: script methods and script
// properties. Each entry that talks to the control holds the address of the
// instance's control field, so it sees a control created after the entry.
#pragma once

#include <memory>

#include "entry/npapi_abi.h"
#include "entry/property_bag.h"
#include "ZumiPictavoEx.h"

class CMyAdapter;

class npMethod {
 public:
  virtual ~npMethod() = default;
  virtual bool Invoke(const NPVariant* args, uint32_t argCount, NPVariant* result) = 0;
};

template <class T>
class npCtrlMethod : public npMethod {
 public:
  explicit npCtrlMethod(T** control) : m_ppControl(control) {}

 protected:
  T* Control() const { return m_ppControl ? *m_ppControl : nullptr; }

 private:
  T** m_ppControl;
};

// The script method "CreateAX".
class npCreateAxControl : public npMethod {
 public:
  explicit npCreateAxControl(CMyAdapter* plugin) : m_pPlugin(plugin) {}
  bool Invoke(const NPVariant* args, uint32_t argCount, NPVariant* result) override;

 private:
  CMyAdapter* m_pPlugin;
};

class npProperty {
 public:
  virtual ~npProperty() = default;
  virtual bool Set(const NPVariant* value) = 0;
  virtual bool Get(NPVariant* result) = 0;
};

template <class T>
class npCtrlProperty : public npProperty {
 public:
  explicit npCtrlProperty(T** control) : m_ppControl(control) {}

 protected:
  T* Control() const { return m_ppControl ? *m_ppControl : nullptr; }

 private:
  T** m_ppControl;
};

// A write-only setting, delivered to the control through a one-value bag.
class npBagProperty : public npCtrlProperty<IPictavoEx> {
 public:
  npBagProperty(IPictavoEx** control, std::unique_ptr<CPropertyBag> bag)
      : npCtrlProperty(control), m_pBag(std::move(bag)) {}
  bool Set(const NPVariant* value) override;
  bool Get(NPVariant*) override;

 private:
  std::unique_ptr<CPropertyBag> m_pBag;
};
