// Objects the engine keeps per thread for its own reuse (recycled memory,
// scratch buffers): made on a thread's first use and deleted when the
// thread ends. Internal to the engine.
//
// Only a pointer is thread_local. MinGW keeps thread_local variables in
// emulated TLS, whose storage can be freed before the destructors of the
// thread_local objects in it have run; a worker thread then ended by
// freeing its buffers' pointers out of freed memory. Here the objects live
// on the heap, and a thread-specific key hands each to its deleter when its
// thread ends, on every platform alike.
#pragma once

#include <pthread.h>

namespace engine_detail {

// Tag tells apart two objects of one type (two buffers of int, say).
template <class T, class Tag = T>
T& PerThread()
{
    static thread_local T* object = nullptr;
    if (object == nullptr) {
        // If no key can be had, the objects outlive their threads; that
        // costs memory, never a result.
        static pthread_key_t key;
        static const bool keyed = pthread_key_create(&key, [](void* p) { delete static_cast<T*>(p); }) == 0;
        object = new T();
        if (keyed) pthread_setspecific(key, object);
    }
    return *object;
}

} // namespace engine_detail
