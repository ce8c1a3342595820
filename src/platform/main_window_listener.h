// What the main window reports to its logic: commands and preview events.

#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tovenrak::platform {

class MainWindowListener {
 public:
  MainWindowListener() = default;
  MainWindowListener(const MainWindowListener&) = delete;
  MainWindowListener& operator=(const MainWindowListener&) = delete;
  virtual ~MainWindowListener() = default;

  // A toolbar button at `position` (1 to 8) was clicked.
  virtual void OnToolButton(int position) = 0;

  // Menu items.
  virtual void OnMenuOpen() = 0;
  virtual void OnMenuClear() = 0;
  virtual void OnMenuBatch() = 0;
  virtual void OnMenuExit() = 0;
  virtual void OnMenuWebSite() = 0;
  virtual void OnMenuAbout() = 0;

  // The convert menu: the target at `choice` in platform::kTargetChoices, or
  // the variant at `choice` in platform::kVariantChoices.
  virtual void OnMenuConvert(int choice) = 0;
  virtual void OnMenuVariant(int choice) = 0;

  // Files or folders were dropped on the window, in the order given.
  virtual void OnFilesDropped(
      const std::vector<std::filesystem::path>& paths) = 0;

  // The site link of the about strip was clicked.
  virtual void OnSiteLinkClicked() = 0;

  // The window's size changed: outer width and height (border, title bar and
  // menu bar included) and the client area's width, all in twips.
  virtual void OnResized(float outer_width, float outer_height,
                         float client_width) = 0;

  // The preview started loading a page, or finished (`ok` false when the
  // page could not be shown).
  virtual void OnPreviewLoadStarted() = 0;
  virtual void OnPreviewLoadFinished(bool ok) = 0;

  // The pointer moved onto a link with address `url` (UTF-8), or off any
  // link (`url` empty).
  virtual void OnPreviewLinkHovered(const std::string& url) = 0;
};

}  // namespace tovenrak::platform
