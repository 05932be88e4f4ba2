// The connections shared by a download run's transfers.

#include "net/TransferSession.h"

#include <algorithm>

namespace {

// How long the session's thread waits for sockets before it looks at cancel flags again.
constexpr int CancelPollMs = 100;

} // namespace

CTransferSession::CTransferSession(int connections, int perServer) : multi_(curl_multi_init()) {
    curl_multi_setopt(multi_, CURLMOPT_PIPELINING, long(CURLPIPE_MULTIPLEX));
    curl_multi_setopt(multi_, CURLMOPT_MAX_TOTAL_CONNECTIONS, long(std::max(1, connections)));
    curl_multi_setopt(multi_, CURLMOPT_MAX_HOST_CONNECTIONS, long(std::max(1, perServer)));
    // Idle connections are kept for the servers a run goes back to, as many as libcurl would
    // keep for that many transfers added at once.
    curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, long(4 * std::max(1, connections)));
    thread_ = std::thread([this] { Run(); });
}

CTransferSession::~CTransferSession() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    curl_multi_wakeup(multi_);
    thread_.join();
    curl_multi_cleanup(multi_);
}

CURLcode CTransferSession::Perform(CURL* easy, const std::function<bool()>& cancelled) {
    Job job{easy, cancelled};
    curl_easy_setopt(easy, CURLOPT_PRIVATE, &job);
    std::unique_lock lock(mutex_);
    if (stopping_)
        return CURLE_ABORTED_BY_CALLBACK;
    jobs_.push_back(&job);
    curl_multi_wakeup(multi_);
    finished_.wait(lock, [&] { return job.done; });
    return job.result;
}

void CTransferSession::Run() {
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                while (!jobs_.empty())
                    Finish(*jobs_.front(), CURLE_ABORTED_BY_CALLBACK);
                return;
            }
            AdmitAndCancel();
        }
        int running = 0;
        curl_multi_perform(multi_, &running);
        CollectFinished();
        curl_multi_poll(multi_, nullptr, 0, CancelPollMs, nullptr);
    }
}

void CTransferSession::AdmitAndCancel() {
    for (auto it = jobs_.begin(); it != jobs_.end();) {
        Job& job = **it++;
        if (job.cancelled())
            Finish(job, CURLE_ABORTED_BY_CALLBACK);
        else if (!job.added && curl_multi_add_handle(multi_, job.easy) != CURLM_OK)
            Finish(job, CURLE_FAILED_INIT);
        else
            job.added = true;
    }
}

void CTransferSession::CollectFinished() {
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        Job* job = nullptr;
        curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &job);
        const CURLcode result = message->data.result;
        std::lock_guard lock(mutex_);
        Finish(*job, result);
    }
}

void CTransferSession::Finish(Job& job, CURLcode result) {
    if (job.added)
        curl_multi_remove_handle(multi_, job.easy);
    job.result = result;
    job.done = true;
    jobs_.remove(&job);
    finished_.notify_all();
}
