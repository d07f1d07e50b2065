#pragma once
// Windows ("forms"): one instance per window class, loaded on first touch, unloaded on request.
//
//   class CWSHEET : public VbForm {
//    public:
//     CWSHEET() { Command1.Click = [this] { Command1_Click(); }; Text2.Move(120, 240, 1500, 300); }
//     void Form_Load() override { ... }
//     void Form_QueryUnload(int& cancel, int unloadMode) override { if (unloadMode == vbFormControlMenu) ...;
//     } void Form_KeyDown(int& keyCode, int shift) override { ... }   // with KeyPreview: before the controls
//     CommandButton Command1{this, "CLR"};
//     TextBox Text2{this};
//    private:
//     void Command1_Click();
//   };
//
//   Form<CWSHEET>().Text2.setText("1001");   // creates and loads the window, hidden, the first time
//   Form<CWSHEET>().Show();                  // modeless; Show(vbModal) returns when it is hidden or unloaded
//   Form<RigCFG>().Show(vbModeless, this);   // kept in front of this window
//   UnloadForm<CWSHEET>();                   // query-unload and unload handlers, then it is gone
//   if (IsLoaded<TEMP_LOG>()) ...            // never creates it
//   if (auto* log = LoadedForm<TEMP_LOG>()) log->Text8.setText(f);
//   Unload();                                // inside a window: "Unload Me"
//   UnloadAllForms(vbAppWindows);            // program end
//
// Never keep a pointer or reference to a window across an event loop (a message box, DoEvents): after
// an unload the next Form<T>() is a new window, and the old object is deleted when the loop is idle.
// Geometry (Left, Top, Width, Height, Move) is in twips and includes the window frame.

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <optional>
#include <typeindex>
#include <vector>

constexpr int vbModeless = 0;
constexpr int vbModal = 1;

// Why a window is being unloaded (the unloadMode of Form_QueryUnload).
constexpr int vbFormControlMenu = 0;  // the operator closed it (close box, system menu, Alt+F4)
constexpr int vbFormCode = 1;         // the program unloaded it
constexpr int vbAppWindows = 2;       // the desktop session ends
constexpr int vbAppTaskManager = 3;   // the program is being ended from outside

constexpr int vbDefault = 0;
constexpr int vbArrow = 1;
constexpr int vbHourglass = 11;

constexpr int vbNormal = 0;
constexpr int vbMinimized = 1;
constexpr int vbMaximized = 2;

class VbForm : public QMainWindow {
  Q_OBJECT
 public:
  VbForm();
  ~VbForm() override;

  virtual void Form_Load() {}
  virtual void Form_Activate() {}
  virtual void Form_Deactivate() {}
  virtual void Form_QueryUnload(int& cancel, int unloadMode) { (void)cancel, (void)unloadMode; }
  virtual void Form_Unload(int& cancel) { (void)cancel; }
  virtual void Form_Resize() {}
  virtual void Form_KeyDown(int& keyCode, int shift) { (void)keyCode, (void)shift; }
  virtual void Form_KeyUp(int& keyCode, int shift) { (void)keyCode, (void)shift; }
  virtual void Form_KeyPress(int& keyAscii) { (void)keyAscii; }
  virtual void Form_MouseDown(int button, int shift, float x, float y) {
    (void)button, (void)shift, (void)x, (void)y;
  }
  virtual void Form_MouseUp(int button, int shift, float x, float y) {
    (void)button, (void)shift, (void)x, (void)y;
  }
  virtual void Form_MouseMove(int button, int shift, float x, float y) {
    (void)button, (void)shift, (void)x, (void)y;
  }
  virtual void Form_Click() {}
  // A wheel turn that no control of the window used (delta 120 per notch, positive away from the user).
  virtual void Form_MouseWheel(int delta, int shift) { (void)delta, (void)shift; }

  // The window sees key strokes before the control that has the focus.
  bool KeyPreview = false;

  // With an owner (as VB's ownerform) the window stays in front of that window; a modal window stays in
  // front of the window that was active when it was shown.
  void Show(int modal = vbModeless, QWidget* owner = nullptr);
  // Shows the window in front without taking the keyboard from the window the operator types in (a
  // list that follows the typing). `opener`: the window it serves (the active one by default).
  void ShowInactive(QWidget* opener = nullptr);
  void Hide() { hide(); }
  // Unloads this window ("Unload Me"). False when a handler cancelled.
  bool Unload(int unloadMode = vbFormCode);
  bool IsUnloaded() const { return unloaded_; }
  // The window of the program that was active last (null when none is loaded): what a message
  // speaks for while the window system has not yet given the keyboard back after another one.
  static VbForm* LastActive();
  // Where the controls live (below the menu bar, above the status bar).
  QWidget* ClientArea() const { return client_; }

  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void Move(int left, int top, int width = -1, int height = -1);
  void SetLeft(int tw) { Move(tw, Top()); }
  void SetTop(int tw) { Move(Left(), tw); }
  void SetWidth(int tw) { Move(Left(), Top(), tw, -1); }
  void SetHeight(int tw) { Move(Left(), Top(), -1, tw); }
  // The place the window keeps in the settings (twips, PlaceOnScreen's rule). With none stored (no
  // top, or a negative one) the window opens, when first shown, at the rule's place when that leaves
  // the controls of the program's open windows in sight, else beside the window that opens it: clear
  // of its controls, then of the other windows' controls, then of those windows where there is room,
  // inside the screen. A window that never asks for a place opens at its own place unless that covers
  // a control of an open window and the screen has a place that covers none.
  void MoveToStoredPlace(std::optional<int32_t> top, int32_t left);
  // The client area's size in twips.
  int ScaleWidth() const;
  int ScaleHeight() const;
  int WindowState() const;
  void SetWindowState(int state);
  // Brings the window in front of the others, without activating it (a hidden window stays hidden).
  void ZOrder();
  // Keeps the window above all others (no move, no resize).
  void SetTopmost(bool on);
  int MousePointer() const { return mousePointer_; }
  void SetMousePointer(int pointer);
  // A passing note of the program's (a wait it is in), shown at once in the window's status bar; ""
  // ends it. A window without a status bar shows one for that time. A close refused meanwhile (the
  // operator's close box during a wait or a long job) is said beside it.
  void ShowWaitNote(const QString& text);
  // Whether the window has a status bar of its own (not one made for a note): a wait's note shows there
  // without covering any of its controls.
  bool HasStatusBar() const;
  // The operator's close box is refused while a long job runs (doevents.h).
  void LockClose() { ++closeLocks_; }
  // The long job that runs now, as the window shows it, for the refusal of a close ("" when unnamed).
  virtual QString JobUnderWay() const { return {}; }
  void UnlockClose() { --closeLocks_; }

 signals:
  void hiddenOrUnloaded();
  // ZOrder() ran on the shown window.
  void broughtForward();

 protected:
  // Shows a note in the window's own status bar ("" ends it); by default one made for the note.
  virtual void showNote(const QString& text);
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  friend struct FormRegistry;
  // A window with no stored place opens beside the window it was opened from, the first time it shows.
  void PlaceOnFirstShow(QWidget* opener);
  void PlaceBeside(const QWidget* opener, bool onlyWhereFree);
  void KeepInFrontOf(QWidget* owner);
  // The flags come first: making the client area already sends this window events that read them.
  bool unloaded_ = false;
  bool inUnload_ = false;
  bool loaded_ = false;
  bool placeBesideOpener_ = false;
  // Placed by none of the program's rules: its own place stands unless it covers a control of an open
  // window and another place on the screen covers none.
  bool placedByProgram_ = false;
  int closeLocks_ = 0;
  int mousePointer_ = vbDefault;
  QWidget* client_;
  QPointer<QWidget> noteBar_;  // the status bar a wait's note is in
  bool noteBarMade_ = false;   // made for the note: it goes with it
  QString waitNote_;           // the wait's note shown now
  bool closeRefused_ = false;  // the operator's close was refused during that wait
};

// The registry behind Form<T>() (not for direct use).
struct FormRegistry {
  static VbForm* Find(std::type_index type);
  static void Add(std::type_index type, VbForm* form);
  static void Load(VbForm& form);
};

template <class T>
T& Form() {
  static_assert(std::is_base_of_v<VbForm, T>, "Form<T>: T must be a VbForm");
  if (VbForm* f = FormRegistry::Find(typeid(T))) return static_cast<T&>(*f);
  T* f = new T();
  FormRegistry::Add(typeid(T), f);
  FormRegistry::Load(*f);
  return *f;
}

template <class T>
T* LoadedForm() {
  return static_cast<T*>(FormRegistry::Find(typeid(T)));
}

template <class T>
bool IsLoaded() {
  return LoadedForm<T>() != nullptr;
}

// Unloads the window of class T when it is loaded. False when one of its handlers cancelled.
template <class T>
bool UnloadForm(int unloadMode = vbFormCode) {
  T* f = LoadedForm<T>();
  return !f || f->Unload(unloadMode);
}

// Every loaded window, in the order they were loaded.
std::vector<VbForm*> LoadedForms();
// Unloads every loaded window. False when one of them refused.
bool UnloadAllForms(int unloadMode = vbFormCode);
// The program's main() turns this on: the event loop ends when the last window is unloaded.
void EndProgramWhenAllUnloaded(bool on);

// Test hook (responders.h installs it): runs in place of the nested event loop of Show(vbModal).
using ModalFormHook = std::function<void(VbForm& form)>;
ModalFormHook SetModalFormHook(ModalFormHook hook);
