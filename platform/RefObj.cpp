#include "platform/RefObj.h"

namespace halvo {

RefObj::~RefObj() {
    if (weakBlock_) weakBlock_->object = nullptr;
}

WeakRefBlock* RefObj::AcquireWeakBlock() {
    if (!weakBlock_) {
        weakBlock_ = new WeakRefBlock;
        weakBlock_->object = this;
    }
    return weakBlock_;
}

void ReleaseWeakBlock(WeakRefBlock* block) {
    if (block->weakCount > 0) --block->weakCount;
    if (block->weakCount > 0) return;
    if (block->object) block->object->weakBlock_ = nullptr;
    delete block;
}

}  // namespace halvo
