#include "core/anim/anim_writer.h"

#include "core/anim/anim_options.h"
#include "core/anim/delays.h"
#include "core/anim/frame_sink.h"
#include "core/base/errors.h"
#include "core/gif/byte_buffer.h"
#include "core/text/time_text.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <filesystem>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace orv {

namespace {

// The frames in the order they come back, and what the writer waits for.
class TFrameQueue {
  public:
    // With `shown`, the frames' pictures pass through it in frame order (the one step that
    // waits for the frame before) and their changed parts are encoded.
    TFrameQueue(const TFrameJob& job, size_t count, unsigned threads, size_t aheadBytes,
                TShownPicture* shown = nullptr)
        : job_(job), count_(count), ahead_(threads), aheadBytes_(aheadBytes), shown_(shown) {
        for (unsigned t = 0; t < threads; ++t)
            workers_.emplace_back([this] { Work(); });
    }
    ~TFrameQueue() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        room_.notify_all();
        turn_.notify_all();
        for (std::thread& t : workers_)
            t.join();
    }

    // Frame `index`, once made; the waiting is cut into slices so the caller can keep its
    // window alive. Rethrows an error of the job. The frames before `index` must be written
    // and released: the frame the writer holds counts among the frames in hand until it asks
    // for the next, so that beyond aheadBytes_ no more than one encoded frame per thread is held.
    TAnimFrameResult Take(size_t index, const std::function<void()>& whileWaiting) {
        std::unique_lock lock(mutex_);
        taken_ = index;
        room_.notify_all();
        while (!done_.count(index)) {
            if (ready_.wait_for(lock, std::chrono::milliseconds(100)) == std::cv_status::timeout &&
                whileWaiting) {
                lock.unlock();
                whileWaiting();
                lock.lock();
            }
        }
        auto node = done_.extract(index);
        heldBytes_ -= node.mapped().Bytes;
        room_.notify_all();
        lock.unlock();
        if (node.mapped().Error) std::rethrow_exception(node.mapped().Error);
        return std::move(node.mapped().Result);
    }

  private:
    struct TDone {
        TAnimFrameResult Result;
        std::exception_ptr Error;
        size_t Bytes = 0; // encoded, waiting for the writer
    };

    // One frame per thread may always be in hand (made, being made or being written); more
    // while the frames made and not yet taken hold less than aheadBytes_, so that a slow frame
    // does not leave the other threads waiting.
    bool MayStart() const {
        return next_ < taken_ + ahead_ || (heldBytes_ < aheadBytes_ && next_ < taken_ + kMostAhead);
    }

    void Work() {
        for (;;) {
            size_t index;
            {
                std::unique_lock lock(mutex_);
                room_.wait(lock, [this] { return stop_ || next_ >= count_ || MayStart(); });
                if (stop_ || next_ >= count_) return;
                index = next_++;
            }
            TDone done;
            try {
                done.Result = job_(index);
            } catch (...) {
                done.Error = std::current_exception();
            }
            Encode(index, done);
            if (done.Result.Image) done.Bytes = size_t(done.Result.Image->Data.ByteCount());
            if (done.Result.Picture) done.Bytes = done.Result.Picture->Pixels.size();
            {
                std::lock_guard lock(mutex_);
                heldBytes_ += done.Bytes;
                done_.emplace(index, std::move(done));
            }
            ready_.notify_all();
        }
    }

    // The frame a job gave unencoded, encoded whole or as what it changes; the turn in frame order
    // passes even when the job failed or left its frame out.
    void Encode(size_t index, TDone& done) {
        std::optional<TFramePart> part;
        if (shown_) {
            std::unique_lock lock(mutex_);
            turn_.wait(lock, [&] { return stop_ || shownNext_ == index; });
            const bool stopped = stop_;
            lock.unlock();
            try {
                if (!stopped && !done.Error && done.Result.Indexed)
                    part = shown_->Next(done.Result.Indexed->Table, std::move(done.Result.Indexed->Matrix));
                else if (!stopped && !done.Error && done.Result.Levels)
                    part = shown_->Next(done.Result.Levels->Table, done.Result.Levels->Rows);
                else if (done.Result.Image)
                    throw std::logic_error("frames written as what they change come unencoded");
            } catch (...) {
                done.Error = std::current_exception();
            }
            lock.lock();
            shownNext_ = index + 1;
            lock.unlock();
            turn_.notify_all();
        }
        try {
            if (part)
                done.Result.Image = EncodeImage(*part);
            else if (done.Result.Indexed && !done.Error)
                done.Result.Image = EncodeImage(done.Result.Indexed->Table, done.Result.Indexed->Matrix);
        } catch (...) {
            done.Error = std::current_exception();
        }
        done.Result.Indexed.reset();
        done.Result.Levels.reset();
    }

    const TFrameJob& job_;
    const size_t count_;
    static constexpr size_t kMostAhead = 256;
    const size_t ahead_;
    const size_t aheadBytes_;
    size_t heldBytes_ = 0;
    TShownPicture* const shown_;
    std::mutex mutex_;
    std::condition_variable ready_, room_, turn_;
    std::map<size_t, TDone> done_;
    size_t next_ = 0, taken_ = 0, shownNext_ = 0;
    bool stop_ = false;
    std::vector<std::thread> workers_;
};

// Frames on their way to the file: with the automatic delays, a frame waits for the next
// one's time, and the first two for a third (two frames keep the first one's delay).
class TOrderedWriter {
  public:
    TOrderedWriter(TFrameSink& sink, bool autoDelays) : sink_(sink), auto_(autoDelays) {}

    void Add(TAnimFrameResult frame) {
        if (!auto_) return Write(frame);
        held_.push_back({std::move(frame), 0});
        if (held_.size() < 3 && !started_) return;
        // Times are read from the third frame on: two frames or fewer need none.
        for (size_t i = started_ ? held_.size() - 1 : 0; i < held_.size(); ++i)
            held_[i].Seconds = TimeToSeconds(held_[i].Frame.Time);
        if (!started_) {
            rate_ = AutoDelayRate(held_[0].Frame.Delay, TimeGap(held_[0].Seconds, held_[1].Seconds));
            started_ = true;
        }
        while (held_.size() > 1) {
            held_[0].Frame.Delay = AutoDelay(rate_, TimeGap(held_[0].Seconds, held_[1].Seconds));
            Write(held_[0].Frame);
            held_.pop_front();
        }
    }

    void Finish() {
        if (started_ && !held_.empty()) held_.back().Frame.Delay = delays_.back(); // repeats the one before
        if (!started_ && held_.size() == 2) held_[1].Frame.Delay = held_[0].Frame.Delay;
        for (THeld& h : held_)
            Write(h.Frame);
        held_.clear();
    }

    const std::vector<uint16_t>& Delays() const { return delays_; }

  private:
    struct THeld {
        TAnimFrameResult Frame;
        double Seconds;
    };
    void Write(const TAnimFrameResult& frame) {
        sink_.Write(frame, frame.Delay);
        delays_.push_back(frame.Delay);
    }

    TFrameSink& sink_;
    const bool auto_;
    bool started_ = false;
    double rate_ = 1;
    std::deque<THeld> held_;
    std::vector<uint16_t> delays_;
};

} // namespace

unsigned JobCount(unsigned jobs) {
    if (jobs > 0) return jobs;
    return std::max(1u, std::thread::hardware_concurrency());
}

TAnimWritten WriteAnimation(const std::string& fileName, size_t count, const TFrameJob& job,
                            const TAnimWriteOptions& options, const TWriteProgress& progress,
                            const std::function<void(const std::string&)>& report) {
    std::vector<size_t> madeJobs; // the job of each frame made
    const std::unique_ptr<TFrameSink> sink = OpenFrameSink(
        fileName,
        [&](size_t index) {
            TAnimFrameResult again = job(madeJobs[index]);
            if (!again.Picture) throw EOrvanelError(again.Report);
            return std::move(*again.Picture);
        },
        options.OneTable);
    TOrderedWriter ordered(*sink, options.AutoDelays);
    std::optional<TShownPicture> shown; // a video file takes its frames whole
    if (options.Optimize && !WantsPictures(fileName)) shown.emplace(options.Tolerance, options.OneTable);
    const size_t total = FrameOrder(count, options.Bounce).size();
    const auto show = [&] {
        if (progress) progress(sink->Count(), total);
    };
    const unsigned threads = JobCount(options.Jobs);
    {
        TFrameQueue queue(job, count, threads, options.AheadBytes, shown ? &*shown : nullptr);
        show(); // the first frame is on its way
        for (size_t taken = 0; taken < count; ++taken) {
            TAnimFrameResult frame = queue.Take(taken, show);
            if (!frame.Report.empty() && report) report(frame.Report);
            if (!frame.Image && !frame.Picture) continue;
            madeJobs.push_back(taken);
            ordered.Add(std::move(frame));
            show();
        }
    }
    ordered.Finish();
    const size_t made = madeJobs.size();
    if (made == 0) throw EOrvanelError("Aucune image pour l'animation");
    const std::vector<uint16_t> delays = ordered.Delays();
    const std::vector<size_t> order = FrameOrder(made, options.Bounce);
    if (shown) {
        // The way back is made again: each frame is written as what it changes in the one
        // shown before it, which is now the next frame, not the previous one.
        const TFrameJob back = [&](size_t i) {
            TAnimFrameResult frame = job(madeJobs[order[made + i]]);
            frame.Report.clear(); // said on the way out
            frame.Delay = delays[order[made + i]];
            return frame;
        };
        TFrameQueue queue(back, order.size() - made, threads, options.AheadBytes, &*shown);
        for (size_t i = 0; made + i < order.size(); ++i) {
            TAnimFrameResult frame = queue.Take(i, show);
            if (!frame.Image) continue;
            sink->Write(frame, frame.Delay);
            show();
        }
    } else {
        for (size_t k = made; k < order.size(); ++k) {
            sink->Repeat(order[k], delays[order[k]]);
            show();
        }
    }
    sink->Commit();
    TEncodedBytes::ReleaseSpare();
    if (progress) progress(total, total);
    std::error_code unknown; // the size is only shown
    const uintmax_t bytes = std::filesystem::file_size(fileName, unknown);
    return {made, delays, unknown ? 0 : uint64_t(bytes)};
}

} // namespace orv
