// A list box of lines and a tree view of paths with a box to tick at each. Their calls take
// more than one message, so each runs whole on the window thread.
// <commctrl.h> needs <windows.h> before it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "os/win32/win32_text.h"
#include "ui/win32/win32_window.h"

namespace qs::win32 {

namespace {

const wchar_t kTickProp[] = L"QsTickItem";

std::wstring ListLine(HWND list, int index) {
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) return std::wstring();
  std::wstring line(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(line.data()));
  line.resize(static_cast<size_t>(length));
  return line;
}

class Win32List : public Control {
 public:
  Win32List(HWND hwnd, WindowThreadRunner run) : hwnd_(hwnd), run_(std::move(run)) {}

  // The selected line.
  std::string GetText(int max_count) override {
    std::wstring line;
    run_([&] { line = ListLine(hwnd_, SelectedIndex()); });
    if (max_count <= 0) return std::string();
    return WideToUtf8(FirstUnits(line, static_cast<size_t>(max_count - 1)));
  }
  void SetText(const std::string&) override {}
  void Enable(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
  bool IsChecked() override { return false; }
  void SetChecked(bool) override {}

  void SetItems(const std::vector<std::string>& items) override {
    run_([&] {
      SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
      LONG widest = 0;
      for (const std::string& item : items) {
        const std::wstring wide = Utf8ToWideForDisplay(item);
        SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        widest = std::max(widest, LineSize(hwnd_, wide).cx);
      }
      // The list box draws a line a few pixels in from its edge.
      SendMessageW(hwnd_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 6), 0);
    });
  }
  int SelectedItem() override {
    int index = -1;
    run_([&] { index = SelectedIndex(); });
    return index;
  }
  void SelectItem(int index) override {
    run_([&] {
      const auto count = static_cast<int>(SendMessageW(hwnd_, LB_GETCOUNT, 0, 0));
      SendMessageW(hwnd_, LB_SETCURSEL, index >= 0 && index < count ? index : -1, 0);
    });
  }

  // The widest line against the client width (less the scroll bar when it shows).
  TextFit MeasureText() override {
    TextFit fit;
    run_([&] {
      const auto count = static_cast<int>(SendMessageW(hwnd_, LB_GETCOUNT, 0, 0));
      for (int i = 0; i < count; ++i) {
        const SIZE size = LineSize(hwnd_, ListLine(hwnd_, i));
        fit.text_width = std::max(fit.text_width, static_cast<int>(size.cx));
        fit.text_height = std::max(fit.text_height, static_cast<int>(size.cy));
      }
      RECT client = {};
      GetClientRect(hwnd_, &client);
      fit.room_width = client.right - client.left;
      fit.room_height = static_cast<int>(SendMessageW(hwnd_, LB_GETITEMHEIGHT, 0, 0));
    });
    return fit;
  }

 private:
  int SelectedIndex() {
    const LRESULT index = SendMessageW(hwnd_, LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
  }

  HWND hwnd_;
  WindowThreadRunner run_;
};

HTREEITEM Next(HWND tree, HTREEITEM item, UINT relation) {
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

bool Ticked(HWND tree, HTREEITEM item) {
  const auto state = static_cast<UINT>(
      SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK));
  return (state >> 12) == 2;  // state image 1: an empty box, 2: a ticked one
}

void SetTicked(HWND tree, HTREEITEM item, bool ticked) {
  TVITEMW change = {};
  change.mask = TVIF_STATE;
  change.hItem = item;
  change.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
  change.stateMask = TVIS_STATEIMAGEMASK;
  SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change));
}

void TickBelow(HWND tree, HTREEITEM item, bool ticked) {
  for (HTREEITEM child = Next(tree, item, TVGN_CHILD); child != nullptr;
       child = Next(tree, child, TVGN_NEXT)) {
    SetTicked(tree, child, ticked);
    TickBelow(tree, child, ticked);
  }
}

class Win32Tree : public Control {
 public:
  Win32Tree(HWND hwnd, WindowThreadRunner run) : hwnd_(hwnd), run_(std::move(run)) {}

  std::string GetText(int) override { return std::string(); }
  void SetText(const std::string&) override {}
  void Enable(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
  bool IsChecked() override { return false; }
  void SetChecked(bool) override {}

  void SetTreePaths(const std::vector<std::string>& paths, char separator) override {
    run_([&] {
      RemovePropW(hwnd_, kTickProp);  // a tick waiting for an item that goes
      SendMessageW(hwnd_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
      paths_.clear();
      labels_.clear();
      depths_.clear();
      std::map<std::string, HTREEITEM> made;
      for (const std::string& path : paths) AddPath(path, separator, &made);
    });
  }

  // In the tree's order; below a ticked folder nothing more is listed.
  std::vector<std::string> TickedPaths() override {
    std::vector<std::string> ticked;
    run_([&] { CollectTicked(Next(hwnd_, nullptr, TVGN_ROOT), &ticked); });
    return ticked;
  }

  // The widest label where it starts (its depth's indent), against the client width.
  TextFit MeasureText() override {
    TextFit fit;
    run_([&] { fit = Measure(); });
    return fit;
  }

 private:
  void AddPath(const std::string& path, char separator, std::map<std::string, HTREEITEM>* made) {
    HTREEITEM parent = TVI_ROOT;
    int depth = 0;
    for (size_t start = 0; start <= path.size();) {
      size_t end = path.find(separator, start);
      if (end == std::string::npos) end = path.size();
      const std::string whole = path.substr(0, end);
      if (end > start) {
        auto found = made->find(whole);
        if (found == made->end())
          found =
              made->emplace(whole, Insert(parent, path.substr(start, end - start), whole, depth))
                  .first;
        parent = found->second;
        ++depth;
      }
      start = end + 1;
    }
  }

  HTREEITEM Insert(HTREEITEM parent, const std::string& label, const std::string& whole,
                   int depth) {
    const std::wstring text = Utf8ToWideForDisplay(label);
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.lParam = static_cast<LPARAM>(paths_.size());
    insert.item.state = INDEXTOSTATEIMAGEMASK(1);
    insert.item.stateMask = TVIS_STATEIMAGEMASK;
    paths_.push_back(whole);
    labels_.push_back(text);
    depths_.push_back(depth);
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(hwnd_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  }

  size_t IndexOf(HTREEITEM item) {
    TVITEMW get = {};
    get.mask = TVIF_PARAM;
    get.hItem = item;
    SendMessageW(hwnd_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&get));
    return static_cast<size_t>(get.lParam);
  }

  void CollectTicked(HTREEITEM item, std::vector<std::string>* ticked) {
    for (; item != nullptr; item = Next(hwnd_, item, TVGN_NEXT)) {
      if (Ticked(hwnd_, item))
        ticked->push_back(paths_[IndexOf(item)]);
      else
        CollectTicked(Next(hwnd_, item, TVGN_CHILD), ticked);
    }
  }

  TextFit Measure() {
    TextFit fit;
    const HTREEITEM root = Next(hwnd_, nullptr, TVGN_ROOT);
    // TVM_GETITEMRECT takes the item in the rectangle it fills.
    RECT first = {};
    if (root == nullptr) return fit;
    std::memcpy(&first, &root, sizeof root);
    if (SendMessageW(hwnd_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&first)) == FALSE)
      return fit;
    const auto indent = static_cast<int>(SendMessageW(hwnd_, TVM_GETINDENT, 0, 0));
    for (size_t i = 0; i < paths_.size(); ++i) {
      const SIZE size = LineSize(hwnd_, labels_[i]);
      const int right = static_cast<int>(first.left) + depths_[i] * indent + size.cx;
      fit.text_width = std::max(fit.text_width, right);
      fit.text_height = std::max(fit.text_height, static_cast<int>(size.cy));
    }
    RECT client = {};
    GetClientRect(hwnd_, &client);
    fit.room_width = client.right - client.left;
    fit.room_height = static_cast<int>(SendMessageW(hwnd_, TVM_GETITEMHEIGHT, 0, 0));
    return fit;
  }

  HWND hwnd_;
  WindowThreadRunner run_;
  // The window thread's: each item's whole path, its label and its depth.
  std::vector<std::string> paths_;
  std::vector<std::wstring> labels_;
  std::vector<int> depths_;
};

}  // namespace

std::unique_ptr<Control> MakeListControl(HWND hwnd, WindowThreadRunner run) {
  return std::make_unique<Win32List>(hwnd, std::move(run));
}

std::unique_ptr<Control> MakeTreeControl(HWND hwnd, WindowThreadRunner run) {
  return std::make_unique<Win32Tree>(hwnd, std::move(run));
}

void OnTreeNotify(const NMHDR& header) {
  const HWND tree = header.hwndFrom;
  HTREEITEM item = nullptr;
  if (header.code == NM_CLICK) {
    const DWORD at = GetMessagePos();
    TVHITTESTINFO hit = {};
    hit.pt = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    ScreenToClient(tree, &hit.pt);
    SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if ((hit.flags & TVHT_ONITEMSTATEICON) != 0) item = hit.hItem;
  } else if (header.code == TVN_KEYDOWN &&
             reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey == VK_SPACE) {
    item = Next(tree, nullptr, TVGN_CARET);
  }
  if (item == nullptr) return;
  // The box changes after this notice: the tick is carried down once it has.
  SetPropW(tree, kTickProp, item);
  PostMessageW(GetParent(tree), kTreeTickMessage, reinterpret_cast<WPARAM>(tree), 0);
}

void OnTreeTicked(HWND tree, LPARAM) {
  const auto item = static_cast<HTREEITEM>(RemovePropW(tree, kTickProp));
  if (item == nullptr) return;
  const bool ticked = Ticked(tree, item);
  TickBelow(tree, item, ticked);
  // A folder whose content is not all ticked no longer stands for all of it.
  if (!ticked)
    for (HTREEITEM up = Next(tree, item, TVGN_PARENT); up != nullptr;
         up = Next(tree, up, TVGN_PARENT))
      SetTicked(tree, up, false);
}

}  // namespace qs::win32
