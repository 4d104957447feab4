// Tests of FB::LockedQueue: order, the never-waiting pop, and filling from several threads.
#include "plugin/scripting/locked_queue.h"

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(LockedQueue, EmptyPopAnswersFalseAndLeavesTheArgument) {
    FB::LockedQueue<int> queue;
    int out = 42;
    EXPECT_FALSE(queue.tryPop(out));
    EXPECT_EQ(42, out);
}

TEST(LockedQueue, ElementsComeOutInPushOrder) {
    FB::LockedQueue<int> queue;
    for (int i = 0; i < 5; ++i)
        queue.push(i * 10);
    int out = -1;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(queue.tryPop(out));
        EXPECT_EQ(i * 10, out);
    }
    EXPECT_FALSE(queue.tryPop(out));
    EXPECT_EQ(40, out);
}

TEST(LockedQueue, WeakElementsHoldNoOwnership) {
    auto object = std::make_shared<int>(1);
    std::weak_ptr<int> seen = object;
    {
        FB::LockedQueue<std::weak_ptr<int>> queue;
        queue.push(object);
        queue.push(object);
        EXPECT_EQ(1, seen.use_count());
        object.reset();
        EXPECT_TRUE(seen.expired());  // the queue only observed it
        std::weak_ptr<int> popped;
        ASSERT_TRUE(queue.tryPop(popped));
        EXPECT_TRUE(popped.expired());
    }  // destroyed with one element still inside
}

TEST(LockedQueue, SeveralPushersAndAPopperLoseAndDuplicateNothing) {
    constexpr int pushers = 6;
    constexpr int perPusher = 20000;
    FB::LockedQueue<int> queue;
    std::vector<int> seen(pushers * perPusher, 0);
    std::vector<int> lastFromPusher(pushers, -1);
    bool ordered = true;
    std::atomic<int> running{pushers};

    auto take = [&](int element) {
        ++seen[element];
        const int pusher = element / perPusher;
        // One pusher's elements come out in the order it pushed them.
        if (element <= lastFromPusher[pusher])
            ordered = false;
        lastFromPusher[pusher] = element;
    };
    std::thread popper([&] {
        int element = 0;
        while (running.load() > 0) {
            if (queue.tryPop(element))
                take(element);
        }
        while (queue.tryPop(element))
            take(element);
    });
    std::vector<std::thread> threads;
    for (int p = 0; p < pushers; ++p) {
        threads.emplace_back([&, p] {
            for (int i = 0; i < perPusher; ++i)
                queue.push(p * perPusher + i);
            --running;
        });
    }
    for (std::thread& t : threads)
        t.join();
    popper.join();

    int missing = 0, duplicated = 0;
    for (int count : seen) {
        missing += count == 0;
        duplicated += count > 1;
    }
    EXPECT_EQ(0, missing);
    EXPECT_EQ(0, duplicated);
    EXPECT_TRUE(ordered);
    int out = -1;
    EXPECT_FALSE(queue.tryPop(out));
}

} // namespace
