#pragma once
// An in-memory tree with the interface of Outline.h: what the panel would show, without a window.
// The check tool prints it; the tests and the fuzzer check the placement on it. It can be told to
// refuse insertions, as a tree-view control may.
#include <deque>
#include <functional>
#include <memory>
#include "Outline.h"

class OutlineModel {
public:
    struct Node {
        Text label;
        std::unique_ptr<CFavoriteItem> record;
        Node* parent = nullptr;
        Node* firstChild = nullptr;
        Node* lastChild = nullptr;
        Node* next = nullptr;
        size_t level = 1;    // 1 at the top level
        size_t order = 0;    // position in insertion order
    };
    using Item = Node*;

    OutlineModel() = default;
    OutlineModel(const OutlineModel&) = delete;
    OutlineModel& operator=(const OutlineModel&) = delete;

    Item Insert(Item parent, const Text& label, std::unique_ptr<CFavoriteItem>& record);
    CFavoriteItem* Record(Item item) const { return item ? item->record.get() : nullptr; }
    Item FirstRoot() const { return m_firstRoot; }
    Item FirstChild(Item item) const { return item ? item->firstChild : nullptr; }
    Item NextSibling(Item item) const { return item ? item->next : nullptr; }
    Item Parent(Item item) const { return item ? item->parent : nullptr; }
    const Text& Label(Item item) const { return item->label; }

    // The items in insertion order.
    size_t Size() const { return m_nodes.size(); }
    Item ItemAt(size_t i) { return &m_nodes[i]; }
    const Node& At(size_t i) const { return m_nodes[i]; }

    // Failure injection, by attempt number from 0 (refused insertions count too).
    std::function<bool(size_t)> m_failInsert;

private:
    std::deque<Node> m_nodes;  // stable addresses; freed without recursion
    Node* m_firstRoot = nullptr;
    Node* m_lastRoot = nullptr;
    size_t m_nInsertAttempts = 0;
};
