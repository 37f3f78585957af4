#include "vlog.h"

#include <new>

pthread_mutex_t* CreateLock(const char* /*name*/)
{
    auto* lock = new (std::nothrow) pthread_mutex_t;
    if (lock == nullptr) {
        return nullptr;
    }
    if (pthread_mutex_init(lock, nullptr) != 0) {
        delete lock;
        return nullptr;
    }
    return lock;
}

bool AcquireLock(pthread_mutex_t* lock)
{
    return lock != nullptr && pthread_mutex_lock(lock) == 0;
}

bool ReleaseLock(pthread_mutex_t* lock)
{
    return lock != nullptr && pthread_mutex_unlock(lock) == 0;
}

void DestroyLock(pthread_mutex_t* lock)
{
    if (lock == nullptr) {
        return;
    }
    pthread_mutex_destroy(lock);
    delete lock;
}
