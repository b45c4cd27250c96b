#include "archive/archiveprompt.h"

#include <atomic>
#include <mutex>

namespace {

std::atomic<IArchivePrompt*> s_prompt{nullptr};
std::mutex s_indicatorLock;
std::function<void(const std::string&)> s_indicator;

}  // namespace

void SetArchivePrompt(IArchivePrompt* prompt)
{
    s_prompt.store(prompt);
}

IArchivePrompt* ArchivePrompt()
{
    return s_prompt.load();
}

void SetArchiveCountIndicator(std::function<void(const std::string&)> indicator)
{
    std::lock_guard<std::mutex> guard(s_indicatorLock);
    s_indicator = std::move(indicator);
}

void ShowArchiveCount(const std::string& text)
{
    std::function<void(const std::string&)> indicator;
    {
        std::lock_guard<std::mutex> guard(s_indicatorLock);
        indicator = s_indicator;
    }
    if (indicator)
        indicator(text);
}
