#include "shell/PList.h"

#include <new>

DUMMY::DUMMY(PList* owner, void* data) : Owner(owner), Next(owner->Head), Data(data)
{
    owner->Head = this;
    ++owner->Count;
}

PList::~PList()
{
    Clear();
}

int PList::Add(void* item)
{
    new (std::nothrow) DUMMY(this, item);
    return Count;
}

int PList::Remove(void* item)
{
    int result = -1;
    DUMMY* previous = nullptr;
    for (DUMMY* node = Head; node; previous = node, node = node->Next) {
        if (node->Data != item)
            continue;
        if (previous)
            previous->Next = node->Next;
        else
            Head = node->Next;
        delete node;
        result = Count--;
        break;
    }
    if (Count == 0 || !Head) {
        Head = nullptr;
    }
    return result;
}

void PList::Clear()
{
    while (Head) {
        DUMMY* node = Head;
        Head = node->Next;
        delete node;
    }
    Count = 0;
}

int PList::IndexOf(void* item) const
{
    int index = Count - 1;
    for (const DUMMY* node = Head; node; node = node->Next, --index)
        if (node->Data == item)
            return index;
    return -1;
}

void* PList::Get(int index) const
{
    if (!Head || index < 0 || index > Count - 1)
        return nullptr;
    int current = Count - 1;
    for (const DUMMY* node = Head; node; node = node->Next, --current)
        if (current == index)
            return node->Data;
    return nullptr;
}
