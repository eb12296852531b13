#pragma once

class TransferFileItem;

// What a transfer file item tells its delegates (the list row, the job). Every method is
// optional; calls come from the job's thread or the device layer's thread.
class TransferItemDelegate
{
public:
    virtual ~TransferItemDelegate() = default;
    virtual void transferItemProgress(TransferFileItem &item, int percent) {}
    virtual void transferItemWaitAync(TransferFileItem &item) {}
    virtual void transferItemStartAync(TransferFileItem &item) {}
    virtual void transferItemFinished(TransferFileItem &item) {}
};
