// The plug-in's exports, callbacks and instance lifecycle as a browser sees
// them.
#include <windows.h>

#include <string>

#include "plugin_fixture.h"

using npbrowser::Browser;
using npbrowser::PluginInstance;

namespace {

constexpr UINT kPluginMessage = 0x750;

TEST(EntryPoints, TableSizeBoundaryAndVersion) {
  Browser& browser = StartedBrowser();
  EXPECT_EQ(NPERR_INVALID_FUNCTABLE_ERROR, browser.getEntryPoints(nullptr));

  NPPluginFuncs funcs = Browser::EmptyPluginFuncs();
  funcs.size = 59;
  EXPECT_EQ(NPERR_INVALID_FUNCTABLE_ERROR, browser.getEntryPoints(&funcs));
  EXPECT_EQ(nullptr, funcs.newp);

  funcs = Browser::EmptyPluginFuncs();
  funcs.size = 60;
  NPP_GotFocusPtr sentinel = reinterpret_cast<NPP_GotFocusPtr>(0x1234);
  funcs.gotfocus = sentinel;
  ASSERT_EQ(NPERR_NO_ERROR, browser.getEntryPoints(&funcs));
  EXPECT_EQ(60, funcs.size);
  EXPECT_EQ(19, funcs.version);
  EXPECT_NE(nullptr, funcs.newp);
  EXPECT_NE(nullptr, funcs.destroy);
  EXPECT_NE(nullptr, funcs.setwindow);
  EXPECT_NE(nullptr, funcs.newstream);
  EXPECT_NE(nullptr, funcs.destroystream);
  EXPECT_NE(nullptr, funcs.asfile);
  EXPECT_NE(nullptr, funcs.writeready);
  EXPECT_NE(nullptr, funcs.write);
  EXPECT_NE(nullptr, funcs.print);
  EXPECT_NE(nullptr, funcs.event);
  EXPECT_NE(nullptr, funcs.urlnotify);
  EXPECT_EQ(nullptr, funcs.javaClass);
  EXPECT_NE(nullptr, funcs.getvalue);
  EXPECT_NE(nullptr, funcs.setvalue);
  EXPECT_EQ(sentinel, funcs.gotfocus);
}

TEST(EntryPoints, InitializeChecksVersionBeforeSize) {
  Browser& browser = StartedBrowser();
  EXPECT_EQ(NPERR_INVALID_FUNCTABLE_ERROR, browser.initialize(nullptr));

  NPNetscapeFuncs funcs = Browser::FullBrowserFuncs();
  funcs.version = 0x0100;
  EXPECT_EQ(NPERR_INCOMPATIBLE_VERSION_ERROR, browser.initialize(&funcs));
  funcs.size = 100;
  EXPECT_EQ(NPERR_INCOMPATIBLE_VERSION_ERROR, browser.initialize(&funcs));

  funcs = Browser::FullBrowserFuncs();
  funcs.size = 183;
  EXPECT_EQ(NPERR_INVALID_FUNCTABLE_ERROR, browser.initialize(&funcs));
  funcs.size = 184;
  funcs.version = 0x0013;
  EXPECT_EQ(NPERR_NO_ERROR, browser.initialize(&funcs));

  EXPECT_EQ(NPERR_NO_ERROR, browser.shutdown());
}

TEST(Callbacks, NullInstanceCodes) {
  const NPPluginFuncs& f = StartedBrowser().PluginFuncs();
  NPWindow window = {};
  NPSavedData* saved = nullptr;
  const char* name = nullptr;
  EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR,
            f.newp(nullptr, nullptr, NP_EMBED, 0, nullptr, nullptr, nullptr));
  EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, f.destroy(nullptr, &saved));
  EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, f.setwindow(nullptr, &window));
  EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, f.getvalue(nullptr, NPPVpluginNameString, &name));
  EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, f.newstream(nullptr, nullptr, nullptr, 0, nullptr));
  EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, f.destroystream(nullptr, nullptr, 0));
  EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, f.setvalue(nullptr, NPNVjavascriptEnabledBool, nullptr));
  EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, f.writeready(nullptr, nullptr));
  EXPECT_EQ(NPERR_INVALID_INSTANCE_ERROR, f.write(nullptr, nullptr, 0, 10, nullptr));
  EXPECT_EQ(0, f.event(nullptr, nullptr));
  EXPECT_EQ(nullptr, name);
}

TEST(Callbacks, InstanceWithoutObject) {
  const NPPluginFuncs& f = StartedBrowser().PluginFuncs();
  NPP_t npp = {};
  const char* name = nullptr;
  NPWindow window = {};
  EXPECT_EQ(NPERR_GENERIC_ERROR, f.getvalue(&npp, NPPVpluginNameString, &name));
  EXPECT_EQ(NPERR_GENERIC_ERROR, f.setwindow(&npp, &window));
  NPSavedData* saved = nullptr;
  EXPECT_EQ(NPERR_NO_ERROR, f.destroy(&npp, &saved));
}

TEST(Callbacks, StreamsAreSwallowed) {
  Browser& browser = StartedBrowser();
  PluginInstance instance;
  ASSERT_EQ(NPERR_NO_ERROR, instance.New());
  const NPPluginFuncs& f = browser.PluginFuncs();
  NPStream stream = {};
  char buffer[4096] = {};
  uint16_t type = NP_NORMAL;
  EXPECT_EQ(NPERR_NO_ERROR, f.newstream(instance.npp(), nullptr, &stream, 0, &type));
  EXPECT_EQ(0x0FFFFFFF, f.writeready(instance.npp(), &stream));
  EXPECT_EQ(4096, f.write(instance.npp(), &stream, 0, 4096, buffer));
  EXPECT_EQ(NPERR_NO_ERROR, f.destroystream(instance.npp(), &stream, 0));
  EXPECT_EQ(0, f.event(instance.npp(), nullptr));
  EXPECT_EQ(NPERR_NO_ERROR, instance.Destroy());
}

TEST(Instance, NameDescriptionAndUnknownValues) {
  Browser& browser = StartedBrowser();
  PluginInstance instance;
  ASSERT_EQ(NPERR_NO_ERROR, instance.New());
  const NPPluginFuncs& f = browser.PluginFuncs();
  const char* text = nullptr;
  ASSERT_EQ(NPERR_NO_ERROR, f.getvalue(instance.npp(), NPPVpluginNameString, &text));
  EXPECT_STREQ("RUVororevOrir", text);
  ASSERT_EQ(NPERR_NO_ERROR, f.getvalue(instance.npp(), NPPVpluginDescriptionString, &text));
  EXPECT_STREQ("NPRuntime scriptability API test plugin", text);
  NPBool windowless = 7;
  EXPECT_EQ(NPERR_GENERIC_ERROR, f.getvalue(instance.npp(), NPPVpluginWindowBool, &windowless));
  EXPECT_EQ(NPERR_GENERIC_ERROR,
            f.getvalue(instance.npp(), NPPVpluginTransparentBool, &windowless));
  EXPECT_EQ(7, windowless);
  EXPECT_EQ(NPERR_NO_ERROR, instance.Destroy());
  EXPECT_EQ(nullptr, instance.npp()->pdata);
}

TEST(Instance, ScriptableObjectReferences) {
  Browser& browser = StartedBrowser();
  size_t liveBefore = browser.LivePluginObjects();
  PluginInstance instance;
  ASSERT_EQ(NPERR_NO_ERROR, instance.New());
  NPObject* first = instance.Scriptable();
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(2u, first->referenceCount);  // the instance's and the browser's
  NPObject* second = instance.Scriptable();
  EXPECT_EQ(first, second);
  EXPECT_EQ(3u, first->referenceCount);
  browser.Release(second);
  browser.Release(first);
  EXPECT_EQ(1u, first->referenceCount);
  EXPECT_EQ(liveBefore + 1, browser.LivePluginObjects());
  EXPECT_EQ(NPERR_NO_ERROR, instance.Destroy());
  EXPECT_FALSE(browser.IsLive(first));
  EXPECT_EQ(liveBefore, browser.LivePluginObjects());
}

TEST(Instance, EachInstanceHasItsOwnObject) {
  Browser& browser = StartedBrowser();
  PluginInstance a, b;
  ASSERT_EQ(NPERR_NO_ERROR, a.New());
  ASSERT_EQ(NPERR_NO_ERROR, b.New());
  EXPECT_NE(a.npp()->pdata, b.npp()->pdata);
  ScriptRef objA(a.Scriptable()), objB(b.Scriptable());
  EXPECT_NE(objA.object, objB.object);
  EXPECT_EQ(NPERR_NO_ERROR, a.Destroy());
  EXPECT_EQ(NPERR_NO_ERROR, b.Destroy());
  EXPECT_EQ(0u, browser.BadReleases());
}

TEST(Window, AttachesOnFirstRealWindowAndRestoresAtDestroy) {
  Browser& browser = StartedBrowser();
  HWND window = browser.NewPluginWindow(300, 200);
  ASSERT_TRUE(IsWindow(window));
  LONG_PTR browserProc = GetWindowLongPtrW(window, GWLP_WNDPROC);

  PluginInstance instance;
  ASSERT_EQ(NPERR_NO_ERROR, instance.New());
  EXPECT_EQ(NPERR_GENERIC_ERROR, StartedBrowser().PluginFuncs().setwindow(instance.npp(), nullptr));
  EXPECT_EQ(NPERR_NO_ERROR, instance.SetWindow(nullptr, 300, 200));
  EXPECT_EQ(browserProc, GetWindowLongPtrW(window, GWLP_WNDPROC));

  EXPECT_EQ(NPERR_NO_ERROR, instance.SetWindow(window, 300, 200));
  LONG_PTR pluginProc = GetWindowLongPtrW(window, GWLP_WNDPROC);
  EXPECT_NE(browserProc, pluginProc);
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(instance.npp()->pdata),
            GetWindowLongPtrW(window, GWLP_USERDATA));

  // Later reports resize; a null handle neither detaches nor re-attaches.
  EXPECT_EQ(NPERR_NO_ERROR, instance.SetWindow(window, 400, 250));
  EXPECT_EQ(NPERR_NO_ERROR, instance.SetWindow(window, 400, 250));
  EXPECT_EQ(NPERR_NO_ERROR, instance.SetWindow(nullptr, 400, 250));
  EXPECT_EQ(NPERR_NO_ERROR, instance.SetWindow(window, 400, 250, NPWindowTypeDrawable));
  EXPECT_EQ(pluginProc, GetWindowLongPtrW(window, GWLP_WNDPROC));

  // The private message arrives through the subclassed window procedure and
  // ends in DefWindowProcW; without a control host nothing is created.
  EXPECT_EQ(0, SendMessageW(window, kPluginMessage, 1, 0));
  EXPECT_EQ(0, SendMessageW(window, kPluginMessage, 2, 0));
  PostMessageW(window, kPluginMessage, 1, 0);
  browser.PumpMessages();
  EXPECT_EQ(pluginProc, GetWindowLongPtrW(window, GWLP_WNDPROC));

  EXPECT_EQ(NPERR_NO_ERROR, instance.Destroy());
  EXPECT_EQ(browserProc, GetWindowLongPtrW(window, GWLP_WNDPROC));
  EXPECT_EQ(0, GetWindowLongPtrW(window, GWLP_USERDATA));
  EXPECT_EQ(0, SendMessageW(window, kPluginMessage, 1, 0));
  DestroyWindow(window);
}

TEST(Window, SecondWindowDoesNotMoveTheAttachment) {
  Browser& browser = StartedBrowser();
  HWND first = browser.NewPluginWindow(100, 100);
  HWND second = browser.NewPluginWindow(100, 100);
  LONG_PTR secondProc = GetWindowLongPtrW(second, GWLP_WNDPROC);
  PluginInstance instance;
  ASSERT_EQ(NPERR_NO_ERROR, instance.New());
  ASSERT_EQ(NPERR_NO_ERROR, instance.SetWindow(first, 100, 100));
  EXPECT_EQ(NPERR_NO_ERROR, instance.SetWindow(second, 120, 80));
  EXPECT_EQ(secondProc, GetWindowLongPtrW(second, GWLP_WNDPROC));
  EXPECT_EQ(NPERR_NO_ERROR, instance.Destroy());
  DestroyWindow(first);
  DestroyWindow(second);
}

TEST(Window, BrowserWindowGoneBeforeDestroy) {
  Browser& browser = StartedBrowser();
  HWND window = browser.NewPluginWindow(100, 100);
  PluginInstance instance;
  ASSERT_EQ(NPERR_NO_ERROR, instance.New());
  ASSERT_EQ(NPERR_NO_ERROR, instance.SetWindow(window, 100, 100));
  DestroyWindow(window);
  EXPECT_EQ(NPERR_NO_ERROR, instance.SetWindow(window, 150, 150));
  EXPECT_EQ(NPERR_NO_ERROR, instance.Destroy());
}

TEST(Ledger, NothingLeftAfterEveryInstanceIsDestroyed) {
  Browser& browser = StartedBrowser();
  {
    HWND window = browser.NewPluginWindow(200, 100);
    PluginInstance a, b;
    ASSERT_EQ(NPERR_NO_ERROR, a.New());
    ASSERT_EQ(NPERR_NO_ERROR, b.New());
    ASSERT_EQ(NPERR_NO_ERROR, a.SetWindow(window, 200, 100));
    ScriptRef script(a.Scriptable());
    npbrowser::ScriptFunction* listener = browser.NewFunction();
    std::string event = "OnSink_UploadSelect";
    NPVariant result;
    EXPECT_TRUE(browser.Call(
        script.object, "AddEventListener",
        {npbrowser::String(event), npbrowser::Object(listener), npbrowser::Bool(false)}, &result));
    EXPECT_TRUE(
        browser.Call(script.object, "CreateAX", {npbrowser::String("ZumiPictavoEx.dll")}, &result));
    // The control exists here only if the prefix has it registered; either
    // way the string handed back is script's to free.
    browser.Call(script.object, "GetUploadKey", {}, &result);
    browser.ReleaseVariant(&result);
    EXPECT_TRUE(browser.SetProperty(script.object, "FrameType", npbrowser::String("2")));
    browser.Release(script.object);
    script.object = nullptr;
    EXPECT_EQ(NPERR_NO_ERROR, a.Destroy());
    EXPECT_EQ(NPERR_NO_ERROR, b.Destroy());
    EXPECT_EQ(1u, listener->referenceCount);
    browser.Release(listener);
    DestroyWindow(window);
  }
  EXPECT_EQ(0u, browser.LivePluginObjects());
  EXPECT_EQ(0u, browser.OutstandingAllocations());
  EXPECT_EQ(0u, browser.BadFrees());
  EXPECT_EQ(0u, browser.BadReleases());
}

}  // namespace
