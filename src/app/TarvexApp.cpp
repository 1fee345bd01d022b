#include "app/TarvexApp.h"

#include "settings/CommandLine.h"

namespace {
CTarvexApp* g_app = nullptr;
}

CTarvexApp* TheApp() { return g_app; }

CTarvexApp::CTarvexApp(HINSTANCE instance) : m_instance(instance) { g_app = this; }

CTarvexApp::~CTarvexApp() { g_app = nullptr; }

bool CTarvexApp::InitInstance() { return false; }

int CTarvexApp::ExitInstance() { return 0; }
