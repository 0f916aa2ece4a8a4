#include "illustrator/DrawingQueue.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/Cores.h"
#include "base/PString.h"

namespace aldra {

namespace {

// Steps go over in chunks, so that the threads meet once for many steps (waking the worker costs
// some microseconds): a chunk ends at this many steps or bytes of points and text.
constexpr size_t kStepsPerChunk = 512;
constexpr size_t kChunkBytes = size_t{256} << 10;
// At most this many chunks wait for the worker: a pass that reads faster than the worker paints
// waits rather than holding the drawing in memory. With no step larger than a chunk, a drawing thread
// holds a few megabytes at most.
constexpr size_t kWaitingChunks = 8;
// A path of more points is drawn by the pass itself once the worker is idle, not copied.
constexpr uint32_t kLargestKeptPoints = kChunkBytes / sizeof(DevicePoint);

// A step as kept: its data as offsets into its chunk's points and bytes.
struct KeptStep {
    DrawStep step;
    uint32_t firstPoint = 0;
    uint32_t pointCount = 0;
    uint32_t firstByte = 0;  // the face name, then the characters
    uint32_t characterCount = 0;
};

struct StepChunk {
    std::vector<KeptStep> steps;
    std::vector<DevicePoint> points;
    std::vector<uint8_t> bytes;

    size_t Bytes() const { return points.size() * sizeof(DevicePoint) + bytes.size(); }

    void Clear() {
        steps.clear();
        points.clear();
        bytes.clear();
    }

    // Throws std::bad_alloc when memory runs out; the chunk is then as it was.
    void Add(const DrawStep& step, const StepData& data) {
        KeptStep kept{step, static_cast<uint32_t>(points.size()), data.pointCount,
                      static_cast<uint32_t>(bytes.size()), data.characterCount};
        const size_t pointsBefore = points.size();
        const size_t bytesBefore = bytes.size();
        try {
            if (data.pointCount > 0) points.insert(points.end(), data.points, data.points + data.pointCount);
            if (data.faceName) bytes.insert(bytes.end(), data.faceName, data.faceName + 1 + data.faceName[0]);
            if (data.characterCount > 0)
                bytes.insert(bytes.end(), data.characters, data.characters + data.characterCount);
            steps.push_back(kept);
        } catch (...) {
            points.resize(pointsBefore);
            bytes.resize(bytesBefore);
            throw;
        }
    }

    void ApplyAll(StepPainter& painter) const {
        for (const KeptStep& kept : steps) {
            StepData data;
            data.points = points.data() + kept.firstPoint;
            data.pointCount = kept.pointCount;
            const bool text = kept.step.kind == StepKind::kText || kept.step.kind == StepKind::kWideText ||
                              kept.step.kind == StepKind::kGreekText;
            if (text) {
                data.faceName = bytes.data() + kept.firstByte;
                data.characters = reinterpret_cast<const char*>(data.faceName + 1 + data.faceName[0]);
                data.characterCount = kept.characterCount;
            }
            painter.Apply(kept.step, data);
        }
    }
};

}  // namespace

class DrawingQueue {
  public:
    DrawingQueue(HDC target, HDC measure) : target_(target), measure_(measure) {}
    ~DrawingQueue() {
        ForgetFonts();
        DeleteDC(measure_);
    }
    DrawingQueue(const DrawingQueue&) = delete;
    DrawingQueue& operator=(const DrawingQueue&) = delete;

    bool Start() {
        try {
            filling_ = std::make_unique<StepChunk>();
            worker_ = std::thread([this] { Work(); });
            apart_.emplace(worker_);
            return true;
        } catch (...) {
            return false;
        }
    }

    HDC MeasureDc() const { return measure_; }

    bool SelectFont(const uint8_t* faceName, int32_t height) {
        try {
            FontKey key{std::string(PStrChars(faceName), PStrLength(faceName)), height};
            auto it = fonts_.find(key);
            if (it == fonts_.end()) {
                if (fonts_.size() >= kKeptFonts) ForgetFonts();
                HFONT font = MakeTextFont(faceName, height);
                if (!font) return false;
                try {
                    it = fonts_.emplace(std::move(key), font).first;
                } catch (...) {
                    DeleteObject(font);
                    return false;
                }
            }
            if (it->second != selected_) {
                HGDIOBJ previous = SelectObject(measure_, it->second);
                if (!firstFont_) firstFont_ = previous;
                selected_ = it->second;
            }
            return true;
        } catch (...) {
            return false;
        }
    }

    // False when the step is not kept: a large path, or no memory. It is then the caller's to apply
    // once Drain or Finish has let the worker apply the ones before it.
    bool Submit(const DrawStep& step, const StepData& data) {
        if (data.pointCount > kLargestKeptPoints) return false;
        try {
            const size_t bytes =
                data.pointCount * sizeof(DevicePoint) + data.characterCount + kPStringCapacity;
            if (!filling_->steps.empty() &&
                (filling_->steps.size() >= kStepsPerChunk || filling_->Bytes() + bytes > kChunkBytes))
                HandOver();
            filling_->Add(step, data);
            return true;
        } catch (...) {
            return false;
        }
    }

    // Hands over what the pass holds and waits until the worker has applied every step and waits
    // for more: the target's context is the caller's until the next Submit. False when there was no
    // memory to hand over.
    bool Drain() {
        try {
            if (!filling_->steps.empty()) HandOver();
        } catch (...) {
            return false;
        }
        std::unique_lock<std::mutex> guard(lock_);
        room_.wait(guard, [this] { return waiting_.empty() && !busy_; });
        return true;
    }

    // Every step submitted is applied when this returns.
    void Finish() {
        {
            std::unique_lock<std::mutex> guard(lock_);
            try {
                if (filling_ && !filling_->steps.empty()) waiting_.push_back(std::move(filling_));
            } catch (...) {
                // Applied below, after the worker's.
            }
            finished_ = true;
        }
        ready_.notify_one();
        if (worker_.joinable()) worker_.join();
        apart_.reset();
        if (filling_ && !filling_->steps.empty()) {
            StepPainter painter(target_, true);
            filling_->ApplyAll(painter);
        }
        filling_.reset();
    }

  private:
    void ForgetFonts() {
        if (firstFont_) SelectObject(measure_, firstFont_);
        for (auto& entry : fonts_) DeleteObject(entry.second);
        fonts_.clear();
        selected_ = nullptr;
    }

    // Throws std::bad_alloc, with nothing changed, when no chunk can be had for the steps to come.
    void HandOver() {
        std::unique_ptr<StepChunk> next;
        {
            std::unique_lock<std::mutex> guard(lock_);
            if (!spare_.empty()) {
                next = std::move(spare_.back());
                spare_.pop_back();
            }
        }
        if (!next) next = std::make_unique<StepChunk>();
        {
            std::unique_lock<std::mutex> guard(lock_);
            room_.wait(guard, [this] { return waiting_.size() < kWaitingChunks; });
            waiting_.push_back(std::move(filling_));
        }
        ready_.notify_one();
        filling_ = std::move(next);
    }

    void Work() {
        StepPainter painter(target_, true);
        for (;;) {
            std::unique_ptr<StepChunk> chunk;
            {
                std::unique_lock<std::mutex> guard(lock_);
                ready_.wait(guard, [this] { return !waiting_.empty() || finished_; });
                if (waiting_.empty()) return;
                chunk = std::move(waiting_.front());
                waiting_.pop_front();
                busy_ = true;
            }
            room_.notify_one();
            chunk->ApplyAll(painter);
            chunk->Clear();
            {
                std::unique_lock<std::mutex> guard(lock_);
                busy_ = false;
                try {
                    spare_.push_back(std::move(chunk));
                } catch (...) {
                    // Without room to keep it for reuse, the chunk is simply freed.
                }
            }
            room_.notify_one();
        }
    }

    using FontKey = std::pair<std::string, int32_t>;
    // Measuring fonts by face and height; a drawing uses a few dozen.
    static constexpr size_t kKeptFonts = 64;

    HDC target_;
    HDC measure_;
    HGDIOBJ firstFont_ = nullptr;  // the context's own, selected back before the kept ones go
    std::map<FontKey, HFONT> fonts_;
    HFONT selected_ = nullptr;
    std::thread worker_;
    std::optional<CoresApart> apart_;  // the pass's and the worker's cores, kept apart while both run
    std::mutex lock_;
    std::condition_variable ready_;
    std::condition_variable room_;
    std::deque<std::unique_ptr<StepChunk>> waiting_;
    std::vector<std::unique_ptr<StepChunk>> spare_;
    std::unique_ptr<StepChunk> filling_;  // the pass's own; handed over when full
    bool finished_ = false;
    bool busy_ = false;  // the worker is applying a chunk
};

bool StartQueuedDrawing(TargetRaster* target) {
    if (target->queue) return true;
    // On one core the two threads would only take turns.
    if (UsableCores() < 2) return false;
    HDC measure = CreateMeasureDc(target);
    if (!measure) return false;
    auto* queue = new (std::nothrow) DrawingQueue(target->memoryDc, measure);
    if (!queue) {
        DeleteDC(measure);
        return false;
    }
    if (!queue->Start()) {
        delete queue;
        return false;
    }
    target->queue = queue;
    return true;
}

void FinishQueuedDrawing(TargetRaster* target) {
    if (!target->queue) return;
    target->queue->Finish();
    delete target->queue;
    target->queue = nullptr;
}

void SubmitDrawStep(TargetRaster* target, const DrawStep& step, const StepData& data) {
    if (DrawingQueue* queue = target->queue) {
        if (queue->Submit(step, data)) return;
        // A large path, or no memory to keep the step: drawn here once the worker has drawn the ones
        // before it. Without memory even to hand those over, the worker ends.
        if (!queue->Drain()) FinishQueuedDrawing(target);
    }
    ApplyDrawStep(target->memoryDc, step, data);
}

HDC TextMeasureDc(const TargetRaster* target) {
    return target->queue ? target->queue->MeasureDc() : target->memoryDc;
}

bool SelectKeptMeasuringFont(const TargetRaster* target, const uint8_t* faceName, int32_t height) {
    return target->queue && target->queue->SelectFont(faceName, height);
}

}  // namespace aldra
