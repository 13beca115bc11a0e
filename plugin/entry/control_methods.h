// The 84 script methods that forward to the control's IPictavoEx operations,
// and the 25 settings delivered through property bags.
#pragma once

#include <functional>
#include <memory>

#include "entry/np_members.h"

typedef std::function<void(const char* name, std::unique_ptr<npMethod> entry)> MethodSink;
typedef std::function<void(const char* name, std::unique_ptr<npProperty> entry)> PropertySink;

// Creates one entry per control method, in registration order.
void CreateControlMethods(IPictavoEx** control, const MethodSink& add);

// Creates one bag property per setting, in registration order.
void CreateBagProperties(IPictavoEx** control, const PropertySink& add);
