#include "fakes/FakeWindowSystem.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "core/Dpi.h"

namespace lorik {

FakeWindowSystem::FakeWindowSystem(Size screen) {
  Node desktop;
  desktop.window.handle = kDesktop;
  desktop.window.className = L"#32769";
  desktop.window.client = screen;
  desktop.window.windowRect = {0, 0, screen.width, screen.height};
  nodes_.emplace(kDesktop, std::move(desktop));
}

WindowHandle FakeWindowSystem::Add(Window window) {
  // A broken tree would make tests pass or fail for the wrong reason.
  if (!window.handle || nodes_.contains(window.handle)) {
    throw std::invalid_argument("FakeWindowSystem::Add: null or duplicate handle");
  }
  if (window.parent && !nodes_.contains(window.parent)) {
    throw std::invalid_argument("FakeWindowSystem::Add: unknown parent");
  }
  const WindowHandle handle = window.handle;
  const WindowHandle parent = window.parent;
  nodes_.emplace(handle, Node{std::move(window), {}});
  if (parent) {
    nodes_.at(parent).children.push_back(handle);
  } else {
    topLevel_.push_back(handle);
  }
  return handle;
}

WindowHandle FakeWindowSystem::AddWindow(uintptr_t handle, WindowHandle parent,
                                         std::wstring className, std::wstring title, int controlId,
                                         uint32_t processId, Size client, Point origin) {
  Window window;
  window.handle = WindowHandle{handle};
  window.parent = parent;
  window.className = std::move(className);
  window.title = std::move(title);
  window.controlId = controlId;
  window.processId = processId;
  window.client = client;
  window.windowRect = Rect::FromXywh(origin.x, origin.y, client.width, client.height);
  return Add(std::move(window));
}

void FakeWindowSystem::SetTopLevelOrder(std::vector<WindowHandle> order) {
  topLevel_ = std::move(order);
}

void FakeWindowSystem::SetChildOrder(WindowHandle parent, std::vector<WindowHandle> order) {
  nodes_.at(parent).children = std::move(order);
}

void FakeWindowSystem::Destroy(WindowHandle window) {
  auto it = nodes_.find(window);
  if (it == nodes_.end() || window == kDesktop) return;
  const std::vector<WindowHandle> children = it->second.children;
  for (WindowHandle child : children) Destroy(child);
  const WindowHandle parent = it->second.window.parent;
  nodes_.erase(it);
  auto& siblings = parent && nodes_.contains(parent) ? nodes_.at(parent).children : topLevel_;
  std::erase(siblings, window);
}

void FakeWindowSystem::Move(WindowHandle window, Point topLeft) {
  Window* w = Find(window);
  if (!w) return;
  Shift(window, topLeft.x - w->windowRect.left, topLeft.y - w->windowRect.top);
}

void FakeWindowSystem::Shift(WindowHandle window, int32_t dx, int32_t dy) {
  Node& node = nodes_.at(window);
  Rect& r = node.window.windowRect;
  r = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
  for (WindowHandle child : node.children) {
    if (nodes_.contains(child)) Shift(child, dx, dy);
  }
}

void FakeWindowSystem::Resize(WindowHandle window, Size client) {
  Window* w = Find(window);
  if (!w) return;
  w->windowRect.right += ToPhysical(*w, client.width) - ToPhysical(*w, w->client.width);
  w->windowRect.bottom += ToPhysical(*w, client.height) - ToPhysical(*w, w->client.height);
  w->client = client;
}

int32_t FakeWindowSystem::ToPhysical(const Window& w, int32_t own) {
  return w.awareDpi > 0 ? ScaleForDpi(own, w.monitorDpi, w.awareDpi) : own;
}

int32_t FakeWindowSystem::ToOwn(const Window& w, int32_t physical) {
  return w.awareDpi > 0 ? ScaleForDpi(physical, w.awareDpi, w.monitorDpi) : physical;
}

void FakeWindowSystem::SetTitle(WindowHandle window, std::wstring title) {
  if (Window* w = Find(window)) w->title = std::move(title);
}

void FakeWindowSystem::SetVisible(WindowHandle window, bool visible) {
  if (Window* w = Find(window)) w->visible = visible;
}

FakeWindowSystem::Window* FakeWindowSystem::Find(WindowHandle window) {
  auto it = nodes_.find(window);
  return it == nodes_.end() ? nullptr : &it->second.window;
}

const FakeWindowSystem::Node* FakeWindowSystem::FindNode(WindowHandle window) const {
  auto it = nodes_.find(window);
  return it == nodes_.end() ? nullptr : &it->second;
}

std::optional<std::vector<WindowHandle>> FakeWindowSystem::TopLevelWindows() {
  ++topLevelQueries_;
  if (failTopLevel_) return std::nullopt;
  std::vector<WindowHandle> out;
  for (WindowHandle handle : topLevel_) {
    const Node* node = FindNode(handle);
    if (node && !node->window.parent && handle != kDesktop) out.push_back(handle);
  }
  return out;
}

void FakeWindowSystem::AppendDescendants(const Node& node, std::vector<WindowHandle>& out) const {
  for (WindowHandle child : node.children) {
    const Node* childNode = FindNode(child);
    if (!childNode || childNode->window.parent != node.window.handle) continue;
    out.push_back(child);
    AppendDescendants(*childNode, out);
  }
}

std::vector<WindowHandle> FakeWindowSystem::DescendantWindows(WindowHandle parent) {
  descendantQueries_.push_back(parent);
  std::vector<WindowHandle> out;
  if (parent == kDesktop) {
    // The desktop's descendants are all windows, as on the platform.
    for (WindowHandle top : topLevel_) {
      const Node* node = FindNode(top);
      if (!node || node->window.parent) continue;
      out.push_back(top);
      AppendDescendants(*node, out);
    }
  } else if (const Node* node = FindNode(parent)) {
    AppendDescendants(*node, out);
  }
  return out;
}

std::wstring FakeWindowSystem::ClassName(WindowHandle window) {
  const Node* node = FindNode(window);
  return node ? node->window.className : std::wstring();
}

std::wstring FakeWindowSystem::Title(WindowHandle window) {
  const Node* node = FindNode(window);
  return node ? node->window.title : std::wstring();
}

int FakeWindowSystem::ControlId(WindowHandle window) {
  const Node* node = FindNode(window);
  return node ? node->window.controlId : 0;
}

uint32_t FakeWindowSystem::ProcessId(WindowHandle window) {
  const Node* node = FindNode(window);
  return node ? node->window.processId : 0;
}

Rect FakeWindowSystem::ClientRect(WindowHandle window) {
  const Node* node = FindNode(window);
  if (!node) return {};
  return {0, 0, node->window.client.width, node->window.client.height};
}

Rect FakeWindowSystem::WindowRect(WindowHandle window) {
  const Node* node = FindNode(window);
  return node ? node->window.windowRect : Rect{};
}

bool FakeWindowSystem::IsWindow(WindowHandle window) {
  return FindNode(window) != nullptr;
}

bool FakeWindowSystem::IsWindowVisible(WindowHandle window) {
  // Visible only when the window and every ancestor are, as the platform reports it.
  for (const Node* node = FindNode(window); node; node = FindNode(node->window.parent)) {
    if (!node->window.visible) return false;
    if (!node->window.parent) return true;
  }
  return false;
}

WindowHandle FakeWindowSystem::Parent(WindowHandle window) {
  const Node* node = FindNode(window);
  if (!node) return {};
  return node->window.parent ? node->window.parent : node->window.owner;
}

WindowHandle FakeWindowSystem::Root(WindowHandle window) {
  const Node* node = FindNode(window);
  if (!node) return {};
  while (node->window.parent) {
    const Node* up = FindNode(node->window.parent);
    if (!up) break;
    node = up;
  }
  return node->window.handle;
}

void FakeWindowSystem::ShowWindow(WindowHandle window, bool visible, bool activate) {
  showCalls.push_back({window, visible, activate});
  SetVisible(window, visible);
}

WindowHandle FakeWindowSystem::WindowFromPoint(Point screen) {
  HitTest test{screen, {}};
  for (WindowHandle top : topLevel_) {
    const Node* node = FindNode(top);
    if (node && !node->window.visible) test.hidden.push_back(top);
  }
  hitTests.push_back(std::move(test));
  for (WindowHandle top : topLevel_) {
    const Node* node = FindNode(top);
    if (!node || node->window.parent || !node->window.visible ||
        !Contains(node->window.windowRect, screen)) {
      continue;
    }
    // Down through the visible children, the first in the order on top.
    for (bool deeper = true; deeper;) {
      deeper = false;
      for (WindowHandle child : node->children) {
        const Node* c = FindNode(child);
        if (c && c->window.visible && Contains(c->window.windowRect, screen)) {
          node = c;
          deeper = true;
          break;
        }
      }
    }
    return node->window.handle;
  }
  const Node* desktop = FindNode(kDesktop);
  return Contains(desktop->window.windowRect, screen) ? kDesktop : WindowHandle{};
}

WindowHandle FakeWindowSystem::ChildWindowFromPoint(WindowHandle parent, Point client) {
  const Node* node = FindNode(parent);
  if (!node) return {};
  if (!Contains(ClientRect(parent), client)) return {};
  const Point screen = ClientToScreen(parent, client);
  for (WindowHandle child : node->children) {
    const Node* c = FindNode(child);
    if (c && Contains(c->window.windowRect, screen)) return child;
  }
  return parent;
}

Point FakeWindowSystem::ClientToScreen(WindowHandle window, Point client) {
  const Node* node = FindNode(window);
  if (!node) return client;
  const Window& w = node->window;
  return {ToPhysical(w, client.x) + w.windowRect.left + w.clientOffset.x,
          ToPhysical(w, client.y) + w.windowRect.top + w.clientOffset.y};
}

Point FakeWindowSystem::ScreenToClient(WindowHandle window, Point screen) {
  const Node* node = FindNode(window);
  if (!node) return screen;
  const Window& w = node->window;
  return {ToOwn(w, screen.x - w.windowRect.left - w.clientOffset.x),
          ToOwn(w, screen.y - w.windowRect.top - w.clientOffset.y)};
}

}  // namespace lorik
