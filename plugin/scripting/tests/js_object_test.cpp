// Page objects: calls scheduled on the main thread through the host and made by the page's
// delayed-call helper.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

#include "fake_page.h"

namespace {

using fakes::CallLog;
using fakes::FakeHost;
using fakes::FakePageObject;
using FB::variant;

TEST(JSObject, AsynchronousCallsRunOnTheMainThreadThroughThePagesHelper) {
    CallLog log;
    auto host = std::make_shared<FakeHost>(&log);
    auto function = std::make_shared<FakePageObject>("f", &log, nullptr, host);
    function->recordAsync = false;
    std::weak_ptr<FakePageObject> watch = function;

    function->invokeAsync("", {variant(1)});
    function->invokeAsync("log", {variant("m")});
    function.reset();
    EXPECT_TRUE(log.empty());            // nothing runs inside the call
    EXPECT_FALSE(watch.expired());       // the queued calls keep the object
    ASSERT_EQ(host->pending.size(), 2u);

    host->runPending();
    EXPECT_EQ(log, CallLog({"helper.invoke( [0,<page object>,[1]])", "helper.invoke( [0,<page object>,[m],log])"}));
    EXPECT_TRUE(watch.expired());
}

TEST(JSObject, PropertyWritesAreScheduledToo) {
    CallLog log;
    auto host = std::make_shared<FakeHost>(&log);
    auto object = std::make_shared<FakePageObject>("o", &log, nullptr, host);
    object->setPropertyAsync("x", variant(3));
    EXPECT_TRUE(log.empty());
    host->runPending();
    EXPECT_EQ(log, CallLog({"o.setProperty(x 3)"}));
}

TEST(JSObject, WithoutItsHostNothingIsScheduled) {
    CallLog log;
    auto host = std::make_shared<FakeHost>(&log);
    auto object = std::make_shared<FakePageObject>("o", &log, nullptr, host);
    object->recordAsync = false;
    host.reset();
    try {
        object->invokeAsync("", {});
        FAIL() << "expected a runtime error";
    } catch (const FB::script_error&) {
        FAIL() << "a standard error, not a script error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot invoke asynchronously");
    }
    EXPECT_THROW(object->setPropertyAsync("x", variant(1)), std::runtime_error);
    EXPECT_THROW(object->getHost(), std::bad_weak_ptr);
}

TEST(JSObject, DelayedCallsAnswerTheTimerOrMinusOne) {
    CallLog log;
    auto host = std::make_shared<FakeHost>(&log);
    auto function = std::make_shared<FakePageObject>("f", &log, nullptr, host);
    EXPECT_EQ(host->invokeDelayed(250, function, {}, ""), 17);
    host->pageHasHelper = false;
    EXPECT_EQ(host->invokeDelayed(250, function, {}, ""), -1);
    EXPECT_EQ(log, CallLog({"helper.invoke( [250,<page object>,[]])"}));
}

TEST(JSObject, WhateverAPostedCallRaisesStaysOnTheMainThread) {
    // The posted call runs inside the browser's call into the plug-in, which nothing may leave.
    class FailingWrites : public FakePageObject {
    public:
        using FakePageObject::FakePageObject;
        std::string failure;
        using FakePageObject::setProperty;
        void setProperty(const std::string& property, const variant& value) override {
            FakePageObject::setProperty(property, value);
            if (failure == "script") throw FB::script_error("page");
            if (failure == "cast") throw FB::bad_variant_cast(typeid(int), typeid(std::string));
            if (failure == "standard") throw std::runtime_error("Cannot find HTML window");
            throw 42;
        }
    };
    for (const char* failure : {"script", "cast", "standard", "other"}) {
        SCOPED_TRACE(failure);
        CallLog log;
        auto host = std::make_shared<FakeHost>(&log);
        auto object = std::make_shared<FailingWrites>("o", &log, nullptr, host);
        object->failure = failure;
        std::weak_ptr<FakePageObject> watch = object;
        object->setPropertyAsync("x", variant(1));
        object.reset();
        EXPECT_NO_THROW(host->runPending());
        EXPECT_EQ(log, CallLog({"o.setProperty(x 1)"}));
        EXPECT_TRUE(watch.expired());  // the call's record let its target go
    }
}

TEST(JSObject, ACallTheBrowserRefusesIsDropped) {
    CallLog log;
    auto host = std::make_shared<FakeHost>(&log);
    auto function = std::make_shared<FakePageObject>("f", &log, nullptr, host);
    function->recordAsync = false;
    std::weak_ptr<FakePageObject> watch = function;
    host->refuseCalls = true;
    function->invokeAsync("", {});
    function.reset();
    EXPECT_TRUE(watch.expired());  // the refused call let its target go
}

}  // namespace

namespace {

TEST(JSObject, PageObjectsTakeNoEventHandlers) {
    fakes::CallLog log;
    auto object = std::make_shared<fakes::FakePageObject>("o", &log);
    auto handler = std::make_shared<fakes::FakePageObject>("h", &log);
    for (const auto& attempt : std::vector<std::function<void()>>{
             [&] { object->addEventHandler("onload", handler); },
             [&] { object->removeEventHandler(std::wstring(L"onload"), handler); },
             [&] { object->addEventSink(handler); }, [&] { object->removeEventSink(handler); }}) {
        try {
            attempt();
            ADD_FAILURE() << "expected a script error";
        } catch (const FB::script_error& error) {
            EXPECT_EQ(std::string(error.what()), "Not implemented");
        }
    }
    EXPECT_EQ(object->getFunctionObject("anything"), nullptr);
    EXPECT_FALSE(object->hasFunctionObject(std::wstring(L"anything")));
}

}  // namespace
