#pragma once

class QWidget;

namespace veilport::app {

class PageHost;

// What the main window's update button and the help menu's Live Update do:
// the ProxyListUpdateDialog, modally, over the host's pool and services; the
// pages refresh their lists afterwards.
void RunLiveUpdate(PageHost& host, QWidget* parent);

}  // namespace veilport::app
