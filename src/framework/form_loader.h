// Loading a form's stored layout: a layout function creates each component through
// the loader (named, in loading state), applies the stored properties in stored order
// and binds the handlers; Finish then calls Loaded on every component in creation
// order and on the form last.
#pragma once

#include "framework/component.h"
#include "framework/forms.h"

#include <vector>

class TFormLoader {
public:
  explicit TFormLoader(TForm *form) : form_(form) { form_->BeginLoading(); }
  TFormLoader(const TFormLoader &) = delete;
  TFormLoader &operator=(const TFormLoader &) = delete;

  // A new component of type T with the given parent (a widget for visual components,
  // the form for non-visual ones) and name, in loading state.
  template <class T, class Parent> T *Create(Parent *parent, const char *name) {
    T *component = new T(parent);
    component->SetName(QString::fromLatin1(name));
    component->BeginLoading();
    components_.push_back(component);
    return component;
  }

  void Finish() {
    for (TComponentMixin *component : components_) component->Loaded();
    form_->Loaded();
  }

private:
  TForm *form_;
  std::vector<TComponentMixin *> components_;
};
