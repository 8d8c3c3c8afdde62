#include "schedule/target_claims.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

TEST(TargetClaimsTest, ATargetHeldIsRefusedToOthersUntilItsLastTicketGoes) {
  TargetClaims claims;
  std::string holder;
  std::shared_ptr<const void> backup = claims.Claim("/backup/", "a backup", &holder);
  ASSERT_TRUE(backup);
  EXPECT_EQ("a backup", claims.Holder("/backup"));

  EXPECT_FALSE(claims.Claim("/backup", "a restore", &holder));
  EXPECT_EQ("a backup", holder);
  EXPECT_FALSE(claims.Claim("/backup//", "a prune", &holder));
  // Another target is free meanwhile.
  EXPECT_TRUE(claims.Claim("/other", "a prune", &holder));

  std::shared_ptr<const void> copy = backup;
  backup.reset();
  EXPECT_FALSE(claims.Claim("/backup", "a restore", &holder));
  copy.reset();
  EXPECT_EQ("", claims.Holder("/backup"));
  EXPECT_TRUE(claims.Claim("/backup", "a restore", &holder));
}

TEST(TargetClaimsTest, ATicketThatOutlivesTheClaimsStillLetsGo) {
  std::shared_ptr<const void> ticket;
  {
    TargetClaims claims;
    ticket = claims.Claim("/backup", "a backup", nullptr);
    ASSERT_TRUE(ticket);
  }
  ticket.reset();  // must not touch freed memory (the sanitizer builds would say)
}

}  // namespace
}  // namespace qs
