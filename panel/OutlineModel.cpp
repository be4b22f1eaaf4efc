#include "OutlineModel.h"

OutlineModel::Item OutlineModel::Insert(Item parent, const Text& label, std::unique_ptr<CFavoriteItem>& record) {
    const size_t attempt = m_nInsertAttempts++;
    if (m_failInsert && m_failInsert(attempt)) return nullptr;
    Text copy = label;
    Node& node = m_nodes.emplace_back();
    node.label = std::move(copy);
    node.parent = parent;
    node.level = parent ? parent->level + 1 : 1;
    node.order = m_nodes.size() - 1;
    Node*& first = parent ? parent->firstChild : m_firstRoot;
    Node*& last = parent ? parent->lastChild : m_lastRoot;
    if (last) {
        last->next = &node;
    } else {
        first = &node;
    }
    last = &node;
    node.record = std::move(record);
    return &node;
}
