// Access zones: the zone stack, the zone scope, and the zone mutex that an entered zone holds
// against other threads.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <chrono>
#include <future>
#include <memory>
#include <new>
#include <thread>

#include "fake_page.h"
#include "plugin/scripting/jsapi_auto.h"
#include "plugin/scripting/zone_scope.h"

// Allocation can be made to fail on the calling thread, to reach the failure paths of entering.
namespace {
thread_local bool failAllocations = false;
}

void* operator new(std::size_t size) {
    if (failAllocations) throw std::bad_alloc();
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace {

using FB::variant;

class Plain : public FB::JSAPIAuto {
public:
    Plain() : FB::JSAPIAuto("plain") {}
};

TEST(Zones, EnterAndLeaveStackAboveTheBase) {
    auto object = std::make_shared<Plain>();
    object->setBaseZone(1);
    EXPECT_EQ(object->baseZone(), 1);
    {
        FB::ZoneScope outer(object.get(), 4);
        FB::ZoneScope inner(object.get(), -3);
        EXPECT_EQ(object->currentZone(), -3);
        EXPECT_EQ(object->baseZone(), 1);
    }
    EXPECT_EQ(object->currentZone(), 1);

    // An unpaired leave never takes the base zone away.
    object->leaveZone();
    object->leaveZone();
    EXPECT_EQ(object->currentZone(), 1);
    EXPECT_EQ(object->baseZone(), 1);

    FB::ZoneScope nothing(nullptr, 3);  // a scope without an object does nothing
}

TEST(Zones, AFailedEnterLeavesTheMutexFreeAndTheStackAsItWas) {
    auto object = std::make_shared<Plain>();
    // Enter zones with allocation failing until the stack has to grow and cannot.
    int entered = 0;
    bool failed = false;
    while (!failed && entered < 100000) {
        failAllocations = true;
        try {
            object->enterZone(entered + 1);
            failAllocations = false;
            ++entered;
        } catch (const std::bad_alloc&) {
            failAllocations = false;
            failed = true;
        }
    }
    ASSERT_TRUE(failed);
    EXPECT_EQ(object->currentZone(), entered);
    for (int i = 0; i < entered; ++i) object->leaveZone();
    EXPECT_EQ(object->currentZone(), 0);
    // Had the failed enter kept its hold, no other thread could reach the members now.
    auto done = std::make_shared<std::promise<unsigned>>();
    std::future<unsigned> count = done->get_future();
    std::thread([object, done] { done->set_value(object->countMembers()); }).detach();
    ASSERT_EQ(count.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(count.get(), 5u);
}

TEST(Zones, AnEnteredZoneHoldsOtherThreadsOffTheMembers) {
    fakes::CallLog log;
    auto object = std::make_shared<Plain>();
    auto before = std::make_shared<fakes::FakePageObject>("before", &log);
    auto after = std::make_shared<fakes::FakePageObject>("after", &log);
    object->setProperty("onping", variant(std::shared_ptr<FB::JSObject>(before)));

    std::atomic<bool> writeDone{false};
    std::atomic<bool> raiseDone{false};
    std::thread writer;
    std::thread raiser;
    {
        FB::ZoneScope zone(object.get(), 2);
        writer = std::thread([&] {
            object->setProperty("fromThread", variant(1));
            writeDone = true;
        });
        raiser = std::thread([&] {
            object->raiseEvent("onping", {});
            raiseDone = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_FALSE(writeDone);
        EXPECT_FALSE(raiseDone);
        EXPECT_EQ(object->currentZone(), 2);  // the other threads have not pushed or popped
        // The event's read of its attribute waits too: it sees this thread's write.
        object->setProperty("onping", variant(std::shared_ptr<FB::JSObject>(after)));
    }
    writer.join();
    raiser.join();
    EXPECT_TRUE(writeDone);
    EXPECT_EQ(fakes::describe(object->getProperty("fromThread")), "1");
    EXPECT_EQ(log, fakes::CallLog({"after.invokeAsync( [])"}));
}

}  // namespace
