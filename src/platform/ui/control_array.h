#pragma once
// Control arrays: controls of one kind sharing a name, addressed by index, whose handlers get the index.
//
//   ControlArray<CheckBox> Check1{this, 0, 22};             // Check1[0] .. Check1[22]
//   ControlArray<TextBox> Text1{&Frame2, 1, 6};             // indexes as the window numbers them
//   ControlArray<Menu> JA1Kenbetsu{&DAREA1, 0, 7};          // menu arrays too (menu.h)
//
//   Check1.Bind(&CheckBox::Click, [this](int index) { Check1_Click(index); });
//   Text1.Bind(&TextBox::KeyPress, [this](int index, int& keyAscii) { ... });
//   Check1[3].SetValue(1);
//   for (int i = Check1.LBound(); i <= Check1.UBound(); ++i) ...
//   Check1.Load(23);   Check1.Unload(23);                  // elements added and removed at run time
//
// Elements are created with the constructor argument given (the container or parent menu). A handler
// bound with Bind also serves elements loaded later.

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <type_traits>
#include <vector>

#include "platform/ui/control.h"

// Lets a control array mark its elements (index, owned by their Qt parent).
class ControlArrayAccess {
 public:
  static void Adopt(VbControlBase& c, int index) {
    c.index_ = index;
    c.heapOwned_ = true;
  }
};

[[noreturn]] void ControlArrayMissing(int index);

template <class C>
class ControlArray {
 public:
  template <class P>
  ControlArray(P parent, int lo, int hi) : make_([parent] { return new C(parent); }) {
    for (int i = lo; i <= hi; ++i) Load(i);
  }
  ~ControlArray() {
    if constexpr (!std::is_base_of_v<QObject, C>) {
      for (auto& [i, c] : items_) delete c.plain;
    }
  }
  ControlArray(const ControlArray&) = delete;
  ControlArray& operator=(const ControlArray&) = delete;

  C& operator[](int index) const {
    auto it = items_.find(index);
    C* c = it == items_.end() ? nullptr : it->second.get();
    if (!c) ControlArrayMissing(index);
    return *c;
  }
  bool Exists(int index) const {
    auto it = items_.find(index);
    return it != items_.end() && it->second.get();
  }
  int Count() const { return static_cast<int>(items_.size()); }
  int LBound() const { return items_.empty() ? 0 : items_.begin()->first; }
  int UBound() const { return items_.empty() ? -1 : items_.rbegin()->first; }

  // Binds a handler to one event of every element, now and loaded later; it receives the index first.
  template <class K, class... A>
  void Bind(std::function<void(A...)> K::*event,
            std::type_identity_t<std::function<void(int, A...)>> handler) {
    binders_.push_back([event, handler](C& c, int index) {
      c.*event = [handler, index](A... a) { handler(index, std::forward<A>(a)...); };
    });
    for (auto& [i, e] : items_)
      if (C* c = e.get()) binders_.back()(*c, i);
  }

  // Adds the element `index` (nothing when it exists).
  C& Load(int index) {
    if (Exists(index)) return (*this)[index];
    C* c = make_();
    if constexpr (std::is_base_of_v<VbControlBase, C>) ControlArrayAccess::Adopt(*c, index);
    if constexpr (requires { c->SetIndex(index); }) c->SetIndex(index);
    Entry e;
    if constexpr (std::is_base_of_v<QObject, C>)
      e.object = c;
    else
      e.plain = c;
    items_[index] = e;
    for (auto& b : binders_) b(*c, index);
    return *c;
  }
  // Removes the element `index`.
  void Unload(int index) {
    auto it = items_.find(index);
    if (it == items_.end()) return;
    if constexpr (std::is_base_of_v<QObject, C>)
      delete it->second.object.data();
    else
      delete it->second.plain;
    items_.erase(it);
  }

 private:
  struct Entry {
    QPointer<QObject> object;  // a widget: its Qt parent owns it
    C* plain = nullptr;        // anything else: owned here
    C* get() const {
      if constexpr (std::is_base_of_v<QObject, C>)
        return static_cast<C*>(object.data());
      else
        return plain;
    }
  };
  std::function<C*()> make_;
  std::map<int, Entry> items_;
  std::vector<std::function<void(C&, int)>> binders_;
};
