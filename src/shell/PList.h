#pragma once
// The program's list of untyped pointers: a singly linked chain with the
// newest node at the head. Index 0 is the oldest item, Count - 1 the newest.
// The list never frees its items: whoever fills it frees them.

class PList;

class DUMMY {
public:
    // Links the new node at the owner's head and counts it.
    DUMMY(PList* owner, void* data);

    PList* Owner;
    DUMMY* Next;  // the node added just before this one; null for the oldest
    void* Data;
};

class PList {
public:
    PList() = default;
    ~PList();
    PList(const PList&) = delete;
    PList& operator=(const PList&) = delete;

    // Returns Count after the addition.
    int Add(void* item);
    // Unlinks the newest node holding item; returns Count before the
    // removal, or -1 when no node holds it. The item is not freed.
    int Remove(void* item);
    void Clear();
    // Index of the newest node holding item, or -1.
    int IndexOf(void* item) const;
    // Null for an empty list or an index out of range.
    void* Get(int index) const;
    void* First() const { return Get(0); }
    void* Last() const { return Count ? Get(Count - 1) : nullptr; }

    DUMMY* Head = nullptr;
    int Count = 0;
};
