// org.freedesktop.FileManager1.ShowItems over GDBus, with xdg-open of the
// folder as the fall-back.
#include "shell/show_items.h"

#include <gio/gio.h>

#include <thread>

namespace shell {

namespace {

constexpr const char* kName = "org.freedesktop.FileManager1";
constexpr const char* kObject = "/org/freedesktop/FileManager1";

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// True when some client owns the name now: a name without an owner would
// otherwise be started by the bus, which may take the whole time-out.
bool HasOwner(GDBusConnection* bus) {
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_sync(
      bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
      g_variant_new("(s)", kName), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NO_AUTO_START, kShowItemsTimeoutMs,
      nullptr, &error);
  if (!reply) {
    g_clear_error(&error);
    return false;
  }
  gboolean owned = FALSE;
  g_variant_get(reply, "(b)", &owned);
  g_variant_unref(reply);
  return owned;
}

bool CallShowItems(const std::string& path) {
  GError* error = nullptr;
  // A private connection: the shared one would tie this call to whatever
  // main context another part of the process runs.
  gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (!address) {
    g_clear_error(&error);
    return false;
  }
  GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
      address, static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                 G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, nullptr, &error);
  g_free(address);
  if (!bus) {
    g_clear_error(&error);
    return false;
  }
  bool shown = false;
  gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
  if (uri && HasOwner(bus)) {
    GVariantBuilder items;
    g_variant_builder_init(&items, G_VARIANT_TYPE("as"));
    g_variant_builder_add(&items, "s", uri);
    GVariant* reply = g_dbus_connection_call_sync(bus, kName, kObject, kName, "ShowItems",
                                                  g_variant_new("(ass)", &items, ""), nullptr,
                                                  G_DBUS_CALL_FLAGS_NO_AUTO_START, kShowItemsTimeoutMs, nullptr,
                                                  &error);
    if (reply) {
      shown = true;
      g_variant_unref(reply);
    } else {
      g_clear_error(&error);
    }
  }
  g_free(uri);
  g_dbus_connection_close_sync(bus, nullptr, nullptr);
  g_object_unref(bus);
  return shown;
}

}  // namespace

bool ShowItemInFolderNow(const std::string& path) {
  if (path.size() > 0 && path[0] == '/' && CallShowItems(path)) return true;
  SpawnXdgOpen(FolderOf(path), std::string());
  return false;
}

void ShowItemInFolder(const std::string& path) {
  std::thread([path] { ShowItemInFolderNow(path); }).detach();
}

}  // namespace shell
