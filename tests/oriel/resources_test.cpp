// Resources by (type, name) over folder bundles and the program's bundle in
// bin/res/: lookups, precedence, the "file" type, icons, cursors, reads
// into short buffers and the framework's system resources.
#include <gtest/gtest.h>

#include <string>

#include "OrielTestApp.h"
#include "core/SMessageBoxImpl.h"
#include "core/SRicheditMenuDef.h"
#include "gdi/GdiCairo.h"
#include "res.mgr/SResProviderFiles.h"
#include "res.mgr/SSkinPool.h"
#include "win32/windows.h"

namespace {

class ResourcesTest : public OrielAppTest {
 protected:
  IResProvider* Folder(const ScratchBundle& b) {
    IResProvider* p = nullptr;
    EXPECT_TRUE(MakeResProvider(kResProviderFiles, &p));
    const std::wstring folder = b.WFolder();
    EXPECT_TRUE(p->Init(reinterpret_cast<WPARAM>(folder.c_str()), 0));
    owned.push_back(p);
    return p;
  }
  std::string Read(const wchar_t* type, const wchar_t* name) {
    const size_t n = app->ResourceByteSize(type, name);
    std::string bytes(n, '\0');
    if (n == 0 || !app->ReadResourceBytes(type, name, bytes.data(), n)) return "";
    return bytes;
  }
  std::string Png() { return ReadFile(ProgramFolder() + "/res/PNGSYSTEM/SYS_ICONS.png"); }
};

TEST_F(ResourcesTest, LookupsOverBothBundles) {
  ScratchBundle one("one"), two("two");
  one.Write("a/x.txt", "first");
  one.Write("a/y.txt", "replaced");
  one.Write("a/z.txt", "replacing");
  one.Write("b/" + std::string(100, 'n') + ".txt", "long");
  one.WriteIndex({{"PNG", "Btn_Close", "a/x.txt"},
                  {"png", "dup", "a/y.txt"},
                  {"PNG", "DUP", "a/z.txt"},
                  {"PNG", std::string(100, 'n'), "b/long.txt"},
                  {std::string(30, 't'), "x", "a/x.txt"}});
  two.Write("x.txt", "second");
  two.WriteIndex({{"png", "btn_close", "x.txt"}});
  IResProvider* first = Folder(one);
  IResProvider* second = Folder(two);
  app->AttachProvider(first);
  struct Case {
    const wchar_t* type;
    std::wstring name;
    const char* expected;
  } cases[] = {
      {L"PNG", L"Btn_Close", "first"},
      {L"png", L"btn_close", "first"},
      {L"png", L"dup", "replacing"},  // a later entry of the same key replaces the earlier
      {L"PNG", std::wstring(100, L'n'), ""},  // over 99 characters: never stored or found
      {L"PNG", std::wstring(99, L'n'), ""},   // and its cut form does not collide
      {std::wstring(30, L't').c_str(), L"x", ""},
      {L"PNG", L"missing", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Read(c.type, c.name.c_str()), c.expected) << XmlUtf8(c.name.c_str()).c_str();
  }
  app->AttachProvider(second);
  EXPECT_EQ(Read(L"PNG", L"BTN_CLOSE"), "second");  // the provider attached later answers
  app->DetachProvider(second);
  EXPECT_EQ(Read(L"PNG", L"BTN_CLOSE"), "first");
  app->DetachProvider(second);  // not in the list any more: nothing changes
  EXPECT_EQ(Read(L"PNG", L"BTN_CLOSE"), "first");

  IResProvider* bundle = BundleProvider();
  EXPECT_TRUE(bundle->ContainsResource(L"pngsystem", L"sys_checkbox"));
  EXPECT_TRUE(bundle->ContainsResource(L"XML", L"SYS_XML_SKIN"));
  EXPECT_FALSE(bundle->ContainsResource(L"XML", L"SYS_XML_NONE"));
}

TEST_F(ResourcesTest, ShortBufferAndMissingResources) {
  ScratchBundle b("short");
  b.Write("x.bin", "0123456789");
  b.WriteIndex({{"BIN", "x", "x.bin"}});
  app->AttachProvider(Folder(b));
  EXPECT_EQ(app->ResourceByteSize(L"BIN", L"x"), 10u);
  char buf[10];
  SetLastError(0);
  EXPECT_FALSE(app->ReadResourceBytes(L"BIN", L"x", buf, 9));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
  EXPECT_TRUE(app->ReadResourceBytes(L"BIN", L"x", buf, 10));
  EXPECT_EQ(std::string(buf, 10), "0123456789");
  EXPECT_EQ(app->ResourceByteSize(L"BIN", L"y"), 0u);
}

TEST_F(ResourcesTest, ImagesByIdFileTypeAndNoColon) {
  app->AttachProvider(BundleProvider());
  IBitmap* sys = app->LoadImageById(L"PNGSYSTEM:SYS_CHECKBOX");
  ASSERT_NE(sys, nullptr);
  EXPECT_EQ(sys->Width(), 128u);
  EXPECT_EQ(sys->Height(), 16u);
  sys->Release();
  const std::wstring path = XmlText((ProgramFolder() + "/res/PNGSYSTEM/SYS_ICONS.png").c_str()).c_str();
  IBitmap* file = app->LoadImageById(SStringW(L"file:") + path.c_str());
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Width(), 128u);
  file->Release();
  EXPECT_EQ(app->LoadImageById(L"SYS_CHECKBOX"), nullptr);
  EXPECT_EQ(app->LoadImageById(L"PNGSYSTEM:NOPE"), nullptr);
}

TEST_F(ResourcesTest, IconsByNameAndSize) {
  ScratchBundle b("icons");
  b.Write("icon/logo.png", Png());
  b.WriteIndex({{"ICON", "ICON_LOGO", "icon/logo.png"}});
  app->AttachProvider(Folder(b));
  struct Case {
    const wchar_t* id;
    int w, h;
  } cases[] = {{L"ICON_LOGO", 128, 32}, {L"ICON_LOGO:16", 16, 16}, {L"icon_logo:48", 48, 48}};
  for (const Case& c : cases) {
    HICON icon = app->LoadIconById(c.id);
    ASSERT_NE(icon, nullptr) << XmlUtf8(c.id).c_str();
    cairo_surface_t* s = GdiSurfaceOfIcon(icon);
    EXPECT_EQ(cairo_image_surface_get_width(s), c.w);
    EXPECT_EQ(cairo_image_surface_get_height(s), c.h);
    DestroyIcon(icon);
  }
  EXPECT_EQ(app->LoadIconById(L"ICON_NONE:16"), nullptr);
}

TEST_F(ResourcesTest, CursorsSystemByNameAndCachedAfterDetach) {
  EXPECT_EQ(app->LoadCursorByName(L"HAND", FALSE), LoadCursorW(nullptr, IDC_HAND));
  EXPECT_EQ(app->LoadCursorByName(L"sizewe", FALSE), LoadCursorW(nullptr, IDC_SIZEWE));
  EXPECT_EQ(app->LoadCursorByName(IDC_IBEAM, FALSE), LoadCursorW(nullptr, IDC_IBEAM));
  ScratchBundle b("cursor");
  b.Write("c/pen.png", Png());
  b.WriteIndex({{"CURSOR", "pen", "c/pen.png"}});
  IResProvider* p = Folder(b);
  app->AttachProvider(p);
  HCURSOR first = app->LoadCursorByName(L"pen", FALSE);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(GdiSurfaceOfIcon(first), nullptr);  // an image cursor, not a system one
  app->DetachProvider(p);
  EXPECT_EQ(app->LoadCursorByName(L"pen", FALSE), first);
  EXPECT_EQ(app->LoadCursorByName(L"other", FALSE), nullptr);
}

TEST_F(ResourcesTest, CursorFromResourceBytesKeepsTheFilesHotSpot) {
  // A one-image .cur file, 2 x 2 pixels, hot spot (1, 0).
  std::string cur("\0\0\2\0\1\0\2\2\0\0\1\0\0\0", 14);
  const uint32_t size = 40 + 16 + 8;
  cur += std::string(reinterpret_cast<const char*>(&size), 4);
  const uint32_t offset = 22;
  cur += std::string(reinterpret_cast<const char*>(&offset), 4);
  cur[10] = 1;  // hot spot x
  std::string dib(40, '\0');
  dib[0] = 40, dib[4] = 2, dib[8] = 4, dib[12] = 1, dib[14] = 32;
  cur += dib + std::string(16, '\x7f') + std::string(8, '\0');
  HICON cursor = CreateIconFromResource(reinterpret_cast<const BYTE*>(cur.data()), (DWORD)cur.size(), FALSE, 0x00030000);
  ASSERT_NE(cursor, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_EQ(info.fIcon, FALSE);
  EXPECT_EQ(info.xHotspot, 1u);
  EXPECT_EQ(info.yHotspot, 0u);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyCursor(cursor);
  EXPECT_EQ(CreateIconFromResource(reinterpret_cast<const BYTE*>(cur.data()), (DWORD)cur.size(), FALSE, 0x00020000),
            nullptr);
}

TEST_F(ResourcesTest, SystemResourcesFromTheBundleAndFromAnEmptyProvider) {
  EXPECT_TRUE(GetMessageBoxTemplate().empty());
  EXPECT_EQ(app->LoadSystemResources(BundleProvider()), 0);
  EXPECT_FALSE(GetMessageBoxTemplate().empty());
  EXPECT_NE(SSkinPoolMgr::getSingleton().FindSystemSkin(0), nullptr);
  pugi::xml_node menu = SRicheditMenuDef::getSingleton().GetMenuDef();
  ASSERT_TRUE(menu);
  EXPECT_STREQ(menu.name(), "editmenu");
  std::vector<std::pair<std::string, std::string>> items;
  for (pugi::xml_node c = menu.first_child(); c; c = c.next_sibling())
    items.emplace_back(c.name(), std::string(c.attribute("id").value()) + c.text().get());
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"item", "1剪切"}, {"item", "2复制"}, {"item", "3粘贴"}, {"item", "4删除"}, {"sep", ""}, {"item", "5全选"}};
  EXPECT_EQ(items, expected);
  ScratchBundle empty("empty");
  empty.WriteIndex({});
  EXPECT_EQ(app->LoadSystemResources(Folder(empty)), 7);
  EXPECT_FALSE(GetMessageBoxTemplate().empty()) << "a missing template leaves the installed one";
  EXPECT_EQ(app->FindProvider(L"XML", L"SYS_XML_SKIN"), nullptr);  // attached for the load only
}

TEST_F(ResourcesTest, XmlDocumentsById) {
  app->AttachProvider(BundleProvider());
  SXmlDoc doc;
  EXPECT_TRUE(app->LoadXmlById(doc, L"xml:sys_xml_skin"));
  EXPECT_TRUE(XmlChild(doc, L"skin"));
  EXPECT_FALSE(app->LoadXmlById(doc, L"SYS_XML_SKIN"));
  const std::string path = ProgramFolder() + "/res/XML/SYS_XML_EDITMENU.xml";
  SXmlDoc file;
  EXPECT_TRUE(app->LoadXmlById(file, SStringW(L"file:") + XmlText(path.c_str())));
  EXPECT_TRUE(XmlChild(file, L"editmenu"));
}

}  // namespace
