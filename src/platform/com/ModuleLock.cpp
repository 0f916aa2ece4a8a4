#include "platform/com/ModuleLock.h"

#include <atomic>

namespace aldra {
namespace {

std::atomic<long> liveCount{0};

}  // namespace

void ModuleLock::Add() {
    liveCount.fetch_add(1, std::memory_order_relaxed);
}

void ModuleLock::Remove() {
    liveCount.fetch_sub(1, std::memory_order_relaxed);
}

long ModuleLock::Count() {
    return liveCount.load(std::memory_order_relaxed);
}

}  // namespace aldra
