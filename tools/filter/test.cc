// Building and releasing test trees.
#include "test.h"

#include <new>
#include <utility>
#include <vector>

#include "parse.h"

namespace {

using Pending = std::vector<std::unique_ptr<TestNode>>;

void defer(Pending &pending, std::unique_ptr<TestNode> &slot) {
  if (!slot) return;
  try {
    pending.push_back(std::move(slot));
  } catch (const std::bad_alloc &) {
    // Left in its slot, the subtree is released by plain recursion instead.
  }
}

// Moves the node's children into pending, and the value of its binding when
// the node is the last Var of a closed binding.
void detach(TestNode &node, Pending &pending) {
  defer(pending, node.first);
  defer(pending, node.second);
  defer(pending, node.third);
  Binding *binding = std::exchange(node.binding, nullptr);
  if (binding && --binding->refs == 0 && !binding->open) {
    defer(pending, binding->value);
    delete binding;
  }
}

// The last node of kind on the right spine of a chain head of that kind.
TestNode *chain_last(TestNode *head) {
  if (head->chain_end) return head->chain_end;
  TestNode *last = head;
  while (last->second && last->second->kind == head->kind) last = last->second.get();
  return last;
}

}  // namespace

void RegexFree::operator()(regex_t *regex) const {
  regfree(regex);
  delete regex;
}

TestNode::~TestNode() {
  Pending pending;
  detach(*this, pending);
  while (!pending.empty()) {
    std::unique_ptr<TestNode> node = std::move(pending.back());
    pending.pop_back();
    detach(*node, pending);
  }
}

Scope::~Scope() {
  // In binding order: releasing a binding's value can only release earlier
  // bindings of this scope (those it refers to), which are closed by then.
  for (Binding *binding = first, *next; binding; binding = next) {
    next = binding->next;
    binding->open = false;
    binding->name = {};
    if (binding->refs == 0) delete binding;
  }
}

std::unique_ptr<TestNode> node_new(const ParseRun &run, NodeKind kind) {
  std::unique_ptr<TestNode> node(new (std::nothrow) TestNode);
  if (!node) parse_error(run, "out of memory");
  node->kind = kind;
  return node;
}

std::unique_ptr<TestNode> chain_join(const ParseRun &run, NodeKind kind,
                                     std::unique_ptr<TestNode> left,
                                     std::unique_ptr<TestNode> right) {
  if (!left) return right;
  if (!right) return left;
  std::unique_ptr<TestNode> node = node_new(run, kind);
  TestNode *end = right->kind == kind ? chain_last(right.get()) : node.get();
  node->chain_end = end;
  node->second = std::move(right);
  if (left->kind != kind) {
    node->first = std::move(left);
    return node;
  }
  TestNode *last = chain_last(left.get());
  node->first = std::move(last->second);
  last->second = std::move(node);
  left->chain_end = end;
  return left;
}

std::unique_ptr<TestNode> test_and(const ParseRun &run, std::unique_ptr<TestNode> a,
                                   std::unique_ptr<TestNode> b) {
  return chain_join(run, NodeKind::And, std::move(a), std::move(b));
}

void test_free(std::unique_ptr<TestNode> tree) { tree.reset(); }
