// Raising events: handlers and sinks by page instance, batch calls, proxies, the event object,
// and the page's event attributes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fake_page.h"
#include "plugin/scripting/jsapi_auto.h"

namespace {

using fakes::CallLog;
using fakes::FakePageObject;
using FB::variant;
using FB::VariantArray;

class Source : public FB::JSAPIAuto {
public:
    Source() : FB::JSAPIAuto("source") {}
};

int contextA = 0;
int contextB = 0;

std::shared_ptr<FakePageObject> pageFunction(const std::string& name, CallLog& log, void* context = &contextA) {
    return std::make_shared<FakePageObject>(name, &log, context);
}

TEST(Events, HandlersWithTheSameObjectKeyAreRegisteredOnce) {
    CallLog log;
    auto source = std::make_shared<Source>();
    auto handler = pageFunction("h", log);
    auto sameFunction = pageFunction("h2", log);
    sameFunction->objectKey = handler->objectKey;  // another wrapper of the same page function

    source->addEventHandler("onload", handler);
    source->addEventHandler(std::wstring(L"onload"), sameFunction);
    source->raiseEvent("onload", {variant(1)});
    EXPECT_EQ(log, CallLog({"h.invokeAsync( [1])"}));

    log.clear();
    source->removeEventHandler("onload", sameFunction);
    source->raiseEvent("onload", {});
    EXPECT_TRUE(log.empty());

    EXPECT_THROW(source->addEventHandler("onload", nullptr), FB::invalid_arguments);
    EXPECT_THROW(source->removeEventHandler("onload", nullptr), FB::invalid_arguments);
}

TEST(Events, NamesAreComparedExactly) {
    CallLog log;
    auto source = std::make_shared<Source>();
    source->addEventHandler("onload", pageFunction("h", log));
    source->raiseEvent("load", {});
    source->raiseEvent("onLoad", {});
    EXPECT_TRUE(log.empty());
}

TEST(Events, SingleHandlersInOrderThenTheSinks) {
    CallLog log;
    auto source = std::make_shared<Source>();
    auto sinkHigh = pageFunction("sinkHigh", log);
    auto sinkLow = pageFunction("sinkLow", log);
    if (sinkHigh.get() < sinkLow.get()) std::swap(sinkHigh->name, sinkLow->name);  // sinks go by address
    source->addEventHandler("onx", pageFunction("first", log));
    source->addEventHandler("onx", pageFunction("second", log));
    source->addEventSink(sinkHigh);
    source->addEventSink(sinkLow);
    source->raiseEvent("onx", {variant("a")});
    EXPECT_EQ(log, CallLog({"first.invokeAsync( [a])", "second.invokeAsync( [a])", "sinkLow.invokeAsync(onx [a])",
                            "sinkHigh.invokeAsync(onx [a])"}));
}

TEST(Events, OneBatchCallServesAPageInstance) {
    CallLog log;
    auto source = std::make_shared<Source>();
    auto dead = pageFunction("dead", log);
    dead->alive = false;
    dead->batch = true;
    auto live = pageFunction("live", log);
    live->batch = true;
    auto other = pageFunction("other", log);
    other->batch = true;
    auto sink = pageFunction("sink", log);
    auto elsewhere = pageFunction("elsewhere", log, &contextB);
    source->addEventHandler("onx", dead);
    source->addEventHandler("onx", live);
    source->addEventHandler("onx", other);
    source->addEventSink(sink);
    source->addEventSink(elsewhere);

    source->raiseEvent("onx", {variant(2)});
    // The dead first handler is skipped but travels in the list; the context's sink is in the
    // batch and gets nothing else; the other context's sink is served on its own.
    const std::string batch = "live.callBatch(onx [2] handlers=dead,live,other sinks=sink)";
    const std::string single = "elsewhere.invokeAsync(onx [2])";
    EXPECT_EQ(log, CallLog({batch, single}));
}

TEST(Events, AfterASingleCallTheContextIsNotBatched) {
    // Only the first live handler of a page instance may batch; once one was called on its
    // own, the rest follow singly and the sinks are served by the sink pass.
    CallLog log;
    auto source = std::make_shared<Source>();
    auto single = pageFunction("single", log);
    auto batcher = pageFunction("batcher", log);
    batcher->batch = true;
    source->addEventHandler("onx", single);
    source->addEventHandler("onx", batcher);
    source->addEventSink(pageFunction("sink", log));
    source->raiseEvent("onx", {});
    EXPECT_EQ(log, CallLog({"single.invokeAsync( [])", "batcher.invokeAsync( [])", "sink.invokeAsync(onx [])"}));
}

TEST(Events, ASinkServedSinglyIsNotInTheBatchOfTheSameEvent) {
    CallLog log;
    auto source = std::make_shared<Source>();
    auto a = pageFunction("", log);
    auto b = pageFunction("", log);
    auto c = pageFunction("", log);
    std::vector<std::shared_ptr<FakePageObject>> byAddress = {a, b, c};
    std::sort(byAddress.begin(), byAddress.end());
    byAddress[0]->name = "plain";  // cannot batch: called on its own
    byAddress[1]->name = "batcher";
    byAddress[1]->batch = true;
    byAddress[2]->name = "later";
    for (const auto& sink : byAddress) source->addEventSink(sink);

    source->raiseEvent("ony", {});
    EXPECT_EQ(log, CallLog({"plain.invokeAsync(ony [])", "batcher.callBatch(ony [] handlers= sinks=batcher,later)"}));
}

TEST(Events, ASinkIsCalledWithoutAnyHandlerAndWhetherOrNotAlive) {
    CallLog log;
    auto source = std::make_shared<Source>();
    auto sink = pageFunction("sink", log);
    sink->alive = false;
    source->addEventSink(sink);
    source->raiseEvent("onz", {});
    EXPECT_EQ(log, CallLog({"sink.invokeAsync(onz [])"}));

    log.clear();
    source->removeEventSink(sink);
    source->raiseEvent("onz", {});
    EXPECT_TRUE(log.empty());
}

TEST(Events, AnInvalidatedObjectRaisesNothing) {
    CallLog log;
    auto source = std::make_shared<Source>();
    auto proxy = std::make_shared<Source>();
    source->addProxy(proxy);
    proxy->addEventHandler("onx", pageFunction("proxyHandler", log));
    source->addEventHandler("onx", pageFunction("handler", log));
    source->setProperty("onx", variant(std::shared_ptr<FB::JSObject>(pageFunction("attribute", log))));

    source->invalidate();
    source->raiseEvent("onx", {});
    EXPECT_TRUE(log.empty());

    // The event-object path still calls the page's event attribute, and only that.
    source->raiseEventObject("onx", VariantArray{});
    EXPECT_EQ(log, CallLog({"attribute.invokeAsync( [{object}])"}));
}

TEST(Events, ProxiesReceiveTheEventWithThemselvesInPlaceOfTheSource) {
    CallLog log;
    auto source = std::make_shared<Source>();
    auto inner = std::make_shared<Source>();
    auto outer = std::make_shared<Source>();
    source->addProxy(inner);
    inner->addProxy(outer);
    auto sourceHandler = pageFunction("atSource", log);
    auto outerHandler = pageFunction("atOuter", log);
    source->addEventHandler("onx", sourceHandler);
    outer->addEventHandler("onx", outerHandler);

    const variant self{std::shared_ptr<FB::JSAPI>(source)};
    FB::VariantDictionary nested = {{"who", self}, {"n", variant(1)}};
    source->raiseEvent("onx", {self, variant(VariantArray{variant(VariantArray{self})}), variant(nested)});

    EXPECT_EQ(log, CallLog({"atOuter.invokeAsync( [<jsapi>,[[<jsapi>]],{object}])",
                            "atSource.invokeAsync( [<jsapi>,[[<jsapi>]],{object}])"}));
    auto objectIn = [](const variant& value) { return value.convertTo<std::shared_ptr<FB::JSAPI>>(); };
    const VariantArray& seenOuter = outerHandler->lastAsyncArgs;
    EXPECT_EQ(objectIn(seenOuter[0]), outer);
    EXPECT_EQ(objectIn(seenOuter[1].exactCast<VariantArray>()[0].exactCast<VariantArray>()[0]), outer);
    EXPECT_EQ(objectIn(seenOuter[2].exactCast<FB::VariantDictionary>().at("who")), outer);
    EXPECT_EQ(seenOuter[2].exactCast<FB::VariantDictionary>().at("n").convertTo<int>(), 1);
    EXPECT_EQ(objectIn(sourceHandler->lastAsyncArgs[0]), source);

    // A proxy that has gone is dropped by the next raise; removeProxy forgets a live one.
    log.clear();
    inner.reset();
    source->raiseEvent("onx", {});
    EXPECT_EQ(log, CallLog({"atSource.invokeAsync( [])"}));
    source->addProxy(outer);
    source->removeProxy(outer);
    log.clear();
    source->raiseEvent("onx", {});
    EXPECT_EQ(log, CallLog({"atSource.invokeAsync( [])"}));
}

TEST(Events, TheEventObjectKeepsItsFixedEntries) {
    CallLog log;
    auto source = std::make_shared<Source>();
    auto handler = pageFunction("h", log);
    auto sink = pageFunction("s", log);
    source->addEventHandler("click", handler);
    source->addEventSink(sink);
    source->raiseEventObject("click", FB::VariantDictionary{{"x", variant(1)}, {"type", variant("other")},
                                                           {"arguments", variant("mine")}},
                             VariantArray{variant(5)});
    EXPECT_EQ(log, CallLog({"h.invokeAsync( [{object}])", "s.invokeAsync(click [{object}])"}));
    const auto& event = handler->lastAsyncArgs.at(0).exactCast<FB::VariantDictionary>();
    EXPECT_EQ(event.at("type").convertTo<std::string>(), "click");
    EXPECT_EQ(event.at("namespaceURI").convertTo<std::string>(), "click");
    EXPECT_EQ(event.at("x").convertTo<int>(), 1);
    EXPECT_EQ(event.at("eventPhase").exactCast<int>(), 2);
    EXPECT_FALSE(event.at("bubbles").exactCast<bool>());
    EXPECT_FALSE(event.at("cancelable").exactCast<bool>());
    EXPECT_EQ(event.at("target").exactCast<std::shared_ptr<FB::JSAPI>>(), source);
    EXPECT_EQ(event.at("currentTarget").exactCast<std::shared_ptr<FB::JSAPI>>(), source);
    EXPECT_EQ(fakes::describe(event.at("arguments")), "[5]");
    EXPECT_EQ(event.size(), 9u);
}

TEST(Events, AnAttributeNamedLikeTheEventIsCalledAfterTheHandlers) {
    CallLog log;
    auto source = std::make_shared<Source>();
    source->addEventHandler("onload", pageFunction("handler", log));
    source->setProperty("onload", variant(std::shared_ptr<FB::JSObject>(pageFunction("attribute", log))));
    source->setProperty("onnumber", variant(3));
    source->raiseEvent("onload", {variant(7)});
    source->raiseEvent("onnumber", {});
    EXPECT_EQ(log, CallLog({"handler.invokeAsync( [7])", "attribute.invokeAsync( [7])"}));

    log.clear();
    source->raiseEventObject("onload", VariantArray{});
    EXPECT_EQ(log, CallLog({"handler.invokeAsync( [{object}])", "attribute.invokeAsync( [{object}])"}));
}

/// A handler that lets go of the object raising the event while it is being called.
class DroppingHandler : public FakePageObject {
public:
    using FakePageObject::FakePageObject;
    std::shared_ptr<Source>* owner = nullptr;
    void invokeAsync(const std::string& method, const VariantArray& args) override {
        owner->reset();
        FakePageObject::invokeAsync(method, args);
    }
};

/// A source that writes its own destruction to the call log.
class LoggedSource : public Source {
public:
    explicit LoggedSource(CallLog* callLog) : log(callLog) {}
    ~LoggedSource() override { log->push_back("source destroyed"); }
    CallLog* log;
};

TEST(Events, TheRaisingObjectLivesUntilRaisingIsOver) {
    // The handler lets go of the last owner; the object must outlive the sink's call and the
    // call of its event attribute, on both raising paths.
    const struct {
        const char* what;
        std::function<void(Source&)> raise;
        CallLog expected;
    } paths[] = {
        {"raiseEvent", [](Source& s) { s.raiseEvent("onx", {}); },
         {"dropper.invokeAsync( [])", "sink.invokeAsync(onx [])", "attribute.invokeAsync( [])", "source destroyed"}},
        {"raiseEventObject", [](Source& s) { s.raiseEventObject("onx", VariantArray{}); },
         {"dropper.invokeAsync( [{object}])", "sink.invokeAsync(onx [{object}])", "attribute.invokeAsync( [{object}])",
          "source destroyed"}},
    };
    for (const auto& path : paths) {
        SCOPED_TRACE(path.what);
        CallLog log;
        std::shared_ptr<Source> source = std::make_shared<LoggedSource>(&log);
        auto dropper = std::make_shared<DroppingHandler>("dropper", &log, &contextA);
        dropper->owner = &source;
        auto sink = pageFunction("sink", log);
        auto attribute = pageFunction("attribute", log);
        // The event object names the source; kept by the fakes, it would keep the source alive.
        for (FakePageObject* page : {static_cast<FakePageObject*>(dropper.get()), sink.get(), attribute.get()}) {
            page->keepAsyncArgs = false;
        }
        source->addEventHandler("onx", dropper);
        source->addEventSink(sink);
        source->setProperty("onx", variant(std::shared_ptr<FB::JSObject>(attribute)));

        Source* raiser = source.get();
        path.raise(*raiser);
        EXPECT_EQ(source, nullptr);
        EXPECT_EQ(log, path.expected);
    }
}

TEST(Events, ScriptErrorsOfTheDeliveryStopAtTheRaiser) {
    class Throwing : public FakePageObject {
    public:
        using FakePageObject::FakePageObject;
        void invokeAsync(const std::string&, const VariantArray&) override { throw FB::script_error("page"); }
    };
    CallLog log;
    auto source = std::make_shared<Source>();
    source->addEventHandler("onx", std::make_shared<Throwing>("t", &log, &contextA));
    EXPECT_NO_THROW(source->raiseEvent("onx", {}));
}

}  // namespace
