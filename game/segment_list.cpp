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

void SegmentList::NewBlock()
{
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

int SegmentList::BlockCount() const
{
    int n = 0;
    for (const Block* b = blocks; b != nullptr; b = b->previous) ++n;
    return n;
}
