#pragma once
// Waiting on the event loop inside GoogleTest: QTRY_* report to QTest, which GoogleTest
// never sees, so these fail the gtest instead.
#include <QTest>
#include <gtest/gtest.h>

#define WAIT_TRUE(expr, ms) ASSERT_TRUE(QTest::qWaitFor([&] { return bool(expr); }, ms)) << "timed out: " #expr
#define WAIT_EQ(a, b, ms)                                                                   \
  do {                                                                                      \
    const bool waitOk_ = QTest::qWaitFor([&] { return (a) == (b); }, ms);                   \
    ASSERT_TRUE(waitOk_) << "timed out: " #a " == " #b;                                     \
  } while (0)
