// scripts/test runs every test in a network namespace with only loopback up
// (and says so in LARKSPUR_TEST_NETNS): there, no name outside this machine
// resolves, so no test can reach a real target by mistake.

#include <gtest/gtest.h>
#include <netdb.h>

#include <cstdlib>

namespace larkspur::test {
namespace {

TEST(TestIsolation, NoRealNameResolvesInTheTestsNamespace) {
  if (std::getenv("LARKSPUR_TEST_NETNS") == nullptr) GTEST_SKIP() << "not run by scripts/test in its namespace";
  addrinfo* found = nullptr;
  const int rc = getaddrinfo("example.com", "80", nullptr, &found);
  if (found) freeaddrinfo(found);
  EXPECT_NE(rc, 0) << "example.com resolved: the tests can reach the world";
  ASSERT_EQ(getaddrinfo("localhost", "80", nullptr, &found), 0);
  freeaddrinfo(found);
}

}  // namespace
}  // namespace larkspur::test
