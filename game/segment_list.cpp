#include "game/segment_list.h"

#include <new>

SegmentList::SegmentList(std::int32_t nodesPerBlock) : blockSize(nodesPerBlock > 0 ? nodesPerBlock : 1) {}

SegmentList::~SegmentList()
{
    RemoveAll();
}

SegmentList::Node* SegmentList::NodesOf(Block* block)
{
    return reinterpret_cast<Node*>(block + 1);
}

SegmentList::Node* SegmentList::TakeNode()
{
    if (freeList == nullptr) {
        // Out of memory ends the program here (std::bad_alloc): a body cannot half-grow.
        void* memory = ::operator new(sizeof(Block) + sizeof(Node) * static_cast<std::size_t>(blockSize));
        Block* block = new (memory) Block{blocks};
        blocks = block;
        Node* nodes = NodesOf(block);
        // Pushed last to first, so the block's nodes are handed out in their own order.
        for (std::int32_t i = blockSize - 1; i >= 0; --i) {
            Node* node = new (&nodes[i]) Node{};
            node->next = freeList;
            freeList = node;
        }
    }
    Node* node = freeList;
    freeList = node->next;
    ++count;
    node->element = Segment{0, 0, 0, 0};
    return node;
}

void SegmentList::FreeNode(Node* node)
{
    node->next = freeList;
    freeList = node;
    --count;
    if (count == 0) RemoveAll();
}

void SegmentList::AddHead(const Segment& segment)
{
    Node* node = TakeNode();
    node->element = segment;
    node->previous = nullptr;
    node->next = head;
    if (head != nullptr) head->previous = node;
    else tail = node;
    head = node;
}

void SegmentList::AddTail(const Segment& segment)
{
    Node* node = TakeNode();
    node->element = segment;
    node->next = nullptr;
    node->previous = tail;
    if (tail != nullptr) tail->next = node;
    else head = node;
    tail = node;
}

Segment SegmentList::RemoveHead()
{
    Node* node = head;
    const Segment segment = node->element;
    head = node->next;
    if (head != nullptr) head->previous = nullptr;
    else tail = nullptr;
    FreeNode(node);
    return segment;
}

Segment SegmentList::RemoveTail()
{
    Node* node = tail;
    const Segment segment = node->element;
    tail = node->previous;
    if (tail != nullptr) tail->next = nullptr;
    else head = nullptr;
    FreeNode(node);
    return segment;
}

void SegmentList::RemoveAll()
{
    head = nullptr;
    tail = nullptr;
    freeList = nullptr;
    count = 0;
    while (blocks != nullptr) {
        Block* previous = blocks->previous;
        ::operator delete(blocks);
        blocks = previous;
    }
}

Segment SegmentList::CycleHeadToTail()
{
    const Segment segment = RemoveHead();
    AddTail(segment);
    return segment;
}

Segment SegmentList::CycleTailToHead()
{
    const Segment segment = RemoveTail();
    AddHead(segment);
    return segment;
}

int SegmentList::BlockCount() const
{
    int n = 0;
    for (const Block* b = blocks; b != nullptr; b = b->previous) ++n;
    return n;
}
