#include "driver/core/list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Node {
  SPPD_LISTHEAD link;
  int value;
};

std::vector<int> Values(SPPD_LISTHEAD* head) {
  std::vector<int> out;
  for (Node* n : SPPD_LinkRecords<Node>(head)) out.push_back(n->value);
  return out;
}

struct List {
  List() { SPPD_LinkInit(&head); }
  void Add(std::initializer_list<int> values) {
    for (int v : values) {
      nodes.push_back(new Node{{}, v});
      SPPD_LinkAppend(&head, &nodes.back()->link);
    }
  }
  ~List() {
    for (Node* n : nodes) delete n;
  }
  SPPD_LISTHEAD head;
  std::vector<Node*> nodes;
};

TEST(DriverList, MovingAllKeepsTheOrderBehindWhatTheTargetHolds) {
  struct Case {
    std::vector<int> to, from;
  };
  const Case cases[] = {{{1, 2}, {3, 4, 5}}, {{}, {3}}, {{1}, {}}, {{}, {}}};
  for (const Case& c : cases) {
    List to, from;
    for (int v : c.to) to.Add({v});
    for (int v : c.from) from.Add({v});
    SPPD_LinkMoveAll(&to.head, &from.head);
    std::vector<int> expected = c.to;
    expected.insert(expected.end(), c.from.begin(), c.from.end());
    EXPECT_EQ(Values(&to.head), expected) << c.to.size() << " + " << c.from.size();
    EXPECT_TRUE(SPPD_LinkEmpty(&from.head));
    // The moved list still links both ways.
    std::vector<int> backwards;
    for (const Node* n : SGE_ListRecordsBackward<Node>(&to.head))
      backwards.insert(backwards.begin(), n->value);
    EXPECT_EQ(backwards, expected);
  }
}

TEST(DriverList, AVisitMayUnlinkTheRecordItIsGiven) {
  List l;
  l.Add({1, 2, 3, 4});
  std::vector<int> seen;
  for (Node* n : SPPD_LinkRecords<Node>(&l.head)) {
    seen.push_back(n->value);
    if (n->value % 2 == 0) SPPD_LinkRemove(&n->link);
  }
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(Values(&l.head), (std::vector<int>{1, 3}));
}

TEST(DriverList, EmptyListsGiveNoRecordAndARemovedNodeCanBeRemovedAgain) {
  List l;
  EXPECT_EQ(SPPD_LinkFirst<Node>(&l.head), nullptr);
  EXPECT_EQ(SPPD_LinkPopFirst(&l.head), nullptr);
  l.Add({7, 8});
  SPPD_LinkRemove(&l.nodes[1]->link);
  SPPD_LinkPrepend(&l.head, &l.nodes[1]->link);
  EXPECT_EQ(Values(&l.head), (std::vector<int>{8, 7}));
  SPPD_LinkRemove(&l.nodes[1]->link);
  SPPD_LinkRemove(&l.nodes[1]->link);
  EXPECT_EQ(Values(&l.head), (std::vector<int>{7}));
  EXPECT_EQ(SPPD_LinkRecord<Node>(SPPD_LinkPopFirst(&l.head))->value, 7);
  EXPECT_TRUE(SPPD_LinkEmpty(&l.head));
  SPPD_LISTHEAD zeroed{};
  EXPECT_TRUE(SPPD_LinkUnset(&zeroed));
}

}  // namespace
