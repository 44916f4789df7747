// A private session bus (dbus-daemon) and, on it, a stand-in of the file
// manager's org.freedesktop.FileManager1 that records what ShowItems gets.
// The bus's address goes into DBUS_SESSION_BUS_ADDRESS while it runs.
#pragma once

#include <gio/gio.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

class PrivateSessionBus {
 public:
  PrivateSessionBus() {
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char* argv[] = {const_cast<char*>("dbus-daemon"), const_cast<char*>("--session"), const_cast<char*>("--nofork"),
                    const_cast<char*>("--print-address=1"), nullptr};
    if (posix_spawnp(&pid_, "dbus-daemon", &actions, nullptr, argv, environ) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    char c;
    while (pid_ && read(out[0], &c, 1) == 1 && c != '\n') address_ += c;
    close(out[0]);
    const char* old = getenv("DBUS_SESSION_BUS_ADDRESS");
    hadOld_ = old != nullptr;
    if (old) oldAddress_ = old;
    if (!address_.empty()) setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
  }
  ~PrivateSessionBus() {
    if (hadOld_)
      setenv("DBUS_SESSION_BUS_ADDRESS", oldAddress_.c_str(), 1);
    else
      unsetenv("DBUS_SESSION_BUS_ADDRESS");
    if (pid_) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  bool Running() const { return !address_.empty(); }
  const std::string& Address() const { return address_; }

 private:
  pid_t pid_ = 0;
  std::string address_;
  std::string oldAddress_;
  bool hadOld_ = false;
};

// Owns org.freedesktop.FileManager1 on the bus at `address` and records the
// URIs and startup id of each ShowItems call; `fail` answers with an error.
class FileManagerStandIn {
 public:
  explicit FileManagerStandIn(const std::string& address, bool fail = false) : fail_(fail) {
    context_ = g_main_context_new();
    loop_ = g_main_loop_new(context_, FALSE);
    thread_ = std::thread([this, address] { Run(address); });
    for (int i = 0; i < 500 && !ready_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ~FileManagerStandIn() {
    g_main_loop_quit(loop_);
    if (thread_.joinable()) thread_.join();
    g_main_loop_unref(loop_);
    g_main_context_unref(context_);
  }
  bool Ready() const { return owned_; }
  // The URI lists received so far, one string per call, joined by '|',
  // and the startup id after a '#'.
  std::vector<std::string> Calls() {
    std::lock_guard<std::mutex> g(mutex_);
    return calls_;
  }
  bool WaitForCall(int ms = 10000) {
    for (int i = 0; i < ms / 10; ++i) {
      if (!Calls().empty()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

 private:
  static void OnCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                     GVariant* params, GDBusMethodInvocation* invocation, gpointer self) {
    auto* me = static_cast<FileManagerStandIn*>(self);
    if (g_strcmp0(method, "ShowItems") == 0) {
      GVariantIter* iter = nullptr;
      const gchar* startup = nullptr;
      g_variant_get(params, "(as&s)", &iter, &startup);
      std::string joined;
      const gchar* uri = nullptr;
      while (g_variant_iter_loop(iter, "&s", &uri)) joined += (joined.empty() ? "" : "|") + std::string(uri);
      g_variant_iter_free(iter);
      {
        std::lock_guard<std::mutex> g(me->mutex_);
        me->calls_.push_back(joined + "#" + startup);
      }
    }
    if (me->fail_)
      g_dbus_method_invocation_return_dbus_error(invocation, "org.freedesktop.DBus.Error.Failed", "refused");
    else
      g_dbus_method_invocation_return_value(invocation, nullptr);
  }

  void Run(const std::string& address) {
    g_main_context_push_thread_default(context_);
    GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    if (bus) {
      static const char* kXml =
          "<node><interface name='org.freedesktop.FileManager1'>"
          "<method name='ShowItems'><arg type='as' name='uris' direction='in'/>"
          "<arg type='s' name='startupId' direction='in'/></method>"
          "</interface></node>";
      GDBusNodeInfo* info = g_dbus_node_info_new_for_xml(kXml, nullptr);
      static const GDBusInterfaceVTable vtable = {&FileManagerStandIn::OnCall, nullptr, nullptr, {}};
      g_dbus_connection_register_object(bus, "/org/freedesktop/FileManager1", info->interfaces[0], &vtable, this,
                                        nullptr, nullptr);
      GVariant* r = g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                "org.freedesktop.DBus", "RequestName",
                                                g_variant_new("(su)", "org.freedesktop.FileManager1", 4u),
                                                G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
      if (r) {
        guint32 code = 0;
        g_variant_get(r, "(u)", &code);
        owned_ = code == 1;
        g_variant_unref(r);
      }
      ready_ = true;
      g_main_loop_run(loop_);
      g_dbus_connection_close_sync(bus, nullptr, nullptr);
      g_object_unref(bus);
      g_dbus_node_info_unref(info);
    }
    ready_ = true;
    g_main_context_pop_thread_default(context_);
  }

  bool fail_;
  GMainContext* context_ = nullptr;
  GMainLoop* loop_ = nullptr;
  std::thread thread_;
  std::atomic<bool> ready_{false};
  std::atomic<bool> owned_{false};
  std::mutex mutex_;
  std::vector<std::string> calls_;
};
