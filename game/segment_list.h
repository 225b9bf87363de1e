#pragma once

#include <cstdint>

// One body segment: where it is drawn and tested, and where it was before the last move.
struct Segment {
    std::int32_t x;
    std::int32_t y;
    std::int32_t prevX;
    std::int32_t prevY;
};

// A worm's body: a doubly linked list of segments whose nodes come from blocks of its own.
// A removed node goes on top of the free list and the next insertion takes the top node,
// so a walk (take one end off, put it on the other) moves the same node and allocates
// nothing. Blocks are given back only when the list is emptied or destroyed.
class SegmentList {
public:
    explicit SegmentList(std::int32_t nodesPerBlock = 10);
    ~SegmentList();
    SegmentList(const SegmentList&) = delete;
    SegmentList& operator=(const SegmentList&) = delete;

    void AddHead(const Segment& segment);
    void AddTail(const Segment& segment);
    // The list must not be empty.
    Segment RemoveHead();
    Segment RemoveTail();
    void RemoveAll();
    std::int32_t GetCount() const { return count; }
    // The first and the last segment; the list must not be empty.
    const Segment& GetHead() const { return head->element; }
    const Segment& GetTail() const { return tail->element; }

    // One step of a forward walk: the first segment goes to the end; returns it.
    Segment CycleHeadToTail();
    // One step of a backward walk: the last segment goes to the front; returns it.
    Segment CycleTailToHead();

    // Blocks held now, for tests and the heap's bookkeeping.
    int BlockCount() const;

private:
    struct Node {
        Node* next;      // towards the tail
        Node* previous;  // towards the head
        Segment element;
    };
    // A block is this link to the block allocated before it, followed by its nodes.
    struct Block {
        Block* previous;
    };

    void NewBlock();
    Node* TakeNode();
    void FreeNode(Node* node);
    static Node* NodesOf(Block* block);

    Node* head = nullptr;
    Node* tail = nullptr;
    std::int32_t count = 0;
    Node* freeList = nullptr;
    Block* blocks = nullptr;
    std::int32_t blockSize;
};

// The steps every walk makes are here, so that a walk compiles to a few pointer moves.

inline SegmentList::Node* SegmentList::TakeNode()
{
    if (freeList == nullptr) NewBlock();
    Node* node = freeList;
    freeList = node->next;
    ++count;
    node->element = Segment{0, 0, 0, 0};
    return node;
}

inline void SegmentList::FreeNode(Node* node)
{
    node->next = freeList;
    freeList = node;
    --count;
    if (count == 0) RemoveAll();
}

inline void SegmentList::AddHead(const Segment& segment)
{
    Node* node = TakeNode();
    node->element = segment;
    node->previous = nullptr;
    node->next = head;
    if (head != nullptr) head->previous = node;
    else tail = node;
    head = node;
}

inline void SegmentList::AddTail(const Segment& segment)
{
    Node* node = TakeNode();
    node->element = segment;
    node->next = nullptr;
    node->previous = tail;
    if (tail != nullptr) tail->next = node;
    else head = node;
    tail = node;
}

inline Segment SegmentList::RemoveHead()
{
    Node* node = head;
    const Segment segment = node->element;
    head = node->next;
    if (head != nullptr) head->previous = nullptr;
    else tail = nullptr;
    FreeNode(node);
    return segment;
}

inline Segment SegmentList::RemoveTail()
{
    Node* node = tail;
    const Segment segment = node->element;
    tail = node->previous;
    if (tail != nullptr) tail->next = nullptr;
    else head = nullptr;
    FreeNode(node);
    return segment;
}

inline Segment SegmentList::CycleHeadToTail()
{
    const Segment segment = RemoveHead();
    AddTail(segment);
    return segment;
}

inline Segment SegmentList::CycleTailToHead()
{
    const Segment segment = RemoveTail();
    AddHead(segment);
    return segment;
}
