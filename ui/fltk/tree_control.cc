// A tree of paths over Fl_Tree, a box to tick before each item. The tick is kept in the
// item's user data and drawn as its user icon. A click on an item (or Space on the focused
// one) ticks or unticks it and everything below it; unticking an item unticks the folders
// above it, as a ticked folder stands for all it holds.
#include <FL/Fl.H>
#include <FL/Fl_Pixmap.H>
#include <FL/Fl_Tree.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <map>

#include "ui/fltk/fltk_controls.h"
#include "ui/fltk/fltk_window_thread.h"

namespace qs::fltk {

namespace {

const char* const kUntickedXpm[] = {
    "13 13 3 1",     "  c None",      ". c #606060",   "w c #FFFFFF",   ".............",
    ".wwwwwwwwwww.", ".wwwwwwwwwww.", ".wwwwwwwwwww.", ".wwwwwwwwwww.", ".wwwwwwwwwww.",
    ".wwwwwwwwwww.", ".wwwwwwwwwww.", ".wwwwwwwwwww.", ".wwwwwwwwwww.", ".wwwwwwwwwww.",
    ".wwwwwwwwwww.", "............."};
const char* const kTickedXpm[] = {
    "13 13 4 1",     "  c None",      ". c #606060",   "w c #FFFFFF",   "x c #202020",
    ".............", ".wwwwwwwwwww.", ".wwwwwwwwwxw.", ".wwwwwwwwxxw.", ".wwwwwwwxxxw.",
    ".wxwwwwxxxww.", ".wxxwwxxxwww.", ".wxxxxxxwwww.", ".wwxxxxwwwww.", ".wwwxxwwwwww.",
    ".wwwwwwwwwww.", ".wwwwwwwwwww.", "............."};

bool Ticked(const Fl_Tree_Item* item) { return item->user_data() != nullptr; }

class TickTree : public Fl_Tree {
 public:
  TickTree(int x, int y, int w, int h) : Fl_Tree(x, y, w, h) {
    showroot(0);
    selectmode(FL_TREE_SELECT_NONE);
    item_labelsize(FL_NORMAL_SIZE);
    connectorstyle(FL_TREE_CONNECTOR_DOTTED);
  }

  void SetTicked(Fl_Tree_Item* item, bool ticked) {
    item->user_data(ticked ? this : nullptr);
    item->usericon(ticked ? &ticked_ : &unticked_);
  }

  int handle(int event) override {
    if (event == FL_PUSH && Fl::event_button() == FL_LEFT_MOUSE) {
      Fl_Tree_Item* item = find_clicked();
      if (item != nullptr && !item->event_on_collapse_icon(prefs())) {
        take_focus();
        set_item_focus(item);
        return Toggle(item), 1;
      }
    }
    if (event == FL_KEYBOARD && Fl::event_key() == ' ' && get_item_focus() != nullptr)
      return Toggle(get_item_focus()), 1;
    return Fl_Tree::handle(event);
  }

 private:
  void Toggle(Fl_Tree_Item* item) {
    const bool ticked = !Ticked(item);
    TickBelow(item, ticked);
    if (!ticked)
      for (Fl_Tree_Item* up = item->parent(); up != nullptr && up != root(); up = up->parent())
        SetTicked(up, false);
    redraw();
  }
  void TickBelow(Fl_Tree_Item* item, bool ticked) {
    SetTicked(item, ticked);
    for (int i = 0; i < item->children(); ++i) TickBelow(item->child(i), ticked);
  }

  Fl_Pixmap unticked_{kUntickedXpm};
  Fl_Pixmap ticked_{kTickedXpm};
};

class FltkTreeControl : public Control {
 public:
  explicit FltkTreeControl(const ControlLayout& layout)
      : tree_(new TickTree(layout.x, layout.y, layout.width, layout.height)) {}

  std::string GetText(int) override { return ""; }
  void SetText(const std::string&) override {}
  void Enable(bool enabled) override {
    RunOnWindowThread([&] { enabled ? tree_->activate() : tree_->deactivate(); });
  }
  bool IsChecked() override { return false; }
  void SetChecked(bool) override {}

  void SetTreePaths(const std::vector<std::string>& paths, char separator) override {
    RunOnWindowThread([&] {
      separator_ = separator;
      tree_->clear_children(tree_->root());
      std::map<std::string, Fl_Tree_Item*> made;
      for (const std::string& path : paths) AddPath(path, made);
      for (const auto& [path, item] : made)
        if (item->has_children()) item->close();
      tree_->redraw();
    });
  }

  std::vector<std::string> TickedPaths() override {
    std::vector<std::string> ticked;
    RunOnWindowThread([&] { CollectTicked(tree_->root(), "", ticked); });
    return ticked;
  }

  TextFit MeasureText() override {
    TextFit fit;
    RunOnWindowThread([&] {
      fl_font(tree_->item_labelfont(), tree_->item_labelsize());
      fit.text_height = fl_height();
      for (int i = 0; i < tree_->root()->children(); ++i)
        MeasureShown(tree_->root()->child(i), 0, fit);
      fit.room_height = tree_->h() - Fl::box_dh(tree_->box());
      fit.room_width = tree_->w() - Fl::box_dw(tree_->box());
      if (tree_->is_vscroll_visible())
        fit.room_width -= tree_->scrollbar_size() ? tree_->scrollbar_size() : Fl::scrollbar_size();
    });
    return fit;
  }

 private:
  void AddPath(const std::string& path, std::map<std::string, Fl_Tree_Item*>& made) {
    Fl_Tree_Item* parent = tree_->root();
    for (size_t start = 0;;) {
      const size_t end = path.find(separator_, start);
      const std::string prefix = path.substr(0, end);
      auto [at, added] = made.try_emplace(prefix, nullptr);
      if (added) {
        at->second = tree_->add(parent, path.substr(start, end - start).c_str());
        tree_->SetTicked(at->second, false);
      }
      parent = at->second;
      if (end == std::string::npos) return;
      start = end + 1;
    }
  }

  void CollectTicked(Fl_Tree_Item* item, const std::string& prefix,
                     std::vector<std::string>& ticked) const {
    for (int i = 0; i < item->children(); ++i) {
      Fl_Tree_Item* child = item->child(i);
      const std::string path = prefix + (child->label() != nullptr ? child->label() : "");
      if (Ticked(child))
        ticked.push_back(path);
      else
        CollectTicked(child, path + separator_, ticked);
    }
  }

  // Where an item's label starts, from the tree's left edge: where FLTK last drew it, or,
  // before it has been drawn, at most the margin, a connector's width per level and the tick
  // box with its margins.
  int LabelIndent(const Fl_Tree_Item* item, int depth) const {
    if (item->label_w() > 0) return item->label_x() - tree_->x();
    return Fl::box_dx(tree_->box()) + tree_->marginleft() + (depth + 1) * tree_->connectorwidth() +
           tree_->usericonmarginleft() + item->usericon()->w() + tree_->labelmarginleft();
  }
  void MeasureShown(const Fl_Tree_Item* item, int depth, TextFit& fit) const {
    const int width =
        LabelIndent(item, depth) + static_cast<int>(fl_width(item->label() ? item->label() : ""));
    fit.text_width = std::max(fit.text_width, width);
    if (!item->is_open()) return;
    for (int i = 0; i < item->children(); ++i) MeasureShown(item->child(i), depth + 1, fit);
  }

  TickTree* tree_;  // owned by the window
  char separator_ = '/';
};

}  // namespace

std::unique_ptr<Control> MakeTreeControl(const ControlLayout& layout) {
  return std::make_unique<FltkTreeControl>(layout);
}

}  // namespace qs::fltk
