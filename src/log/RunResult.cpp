#include "log/RunResult.h"

#include <windows.h>

#include "util/JsonWriter.h"
#include "util/ProcessContext.h"
#include "util/WideFormat.h"

namespace {
ProcessObject<RunResult> g_runResult;

std::wstring UtcNowIso()
{
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    return FormatW(L"%04u-%02u-%02uT%02u:%02u:%02uZ", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                   now.wSecond);
}

void AddTime(std::vector<StageTime>& stages, RunStage stage, uint64_t milliseconds)
{
    for (StageTime& entry : stages) {
        if (entry.stage == stage) {
            entry.milliseconds += milliseconds;
            return;
        }
    }
    stages.push_back(StageTime{stage, milliseconds});
}
} // namespace

RunResult& RunReport()
{
    return g_runResult.Get();
}

const wchar_t* RunStageName(RunStage stage)
{
    switch (stage) {
    case RunStage::StartUp:
        return L"start-up";
    case RunStage::Checks:
        return L"checks";
    case RunStage::Verification:
        return L"verification";
    case RunStage::Extraction:
        return L"extraction";
    case RunStage::Launch:
        return L"launch";
    case RunStage::Cleanup:
        return L"cleanup";
    }
    return L"";
}

RunResult::RunResult() : m_stageStart(::GetTickCount64())
{
    m_facts.started = UtcNowIso();
    m_facts.processId = ::GetCurrentProcessId();
    m_facts.stages.push_back(StageTime{RunStage::StartUp, 0});
}

void RunResult::EnterStage(RunStage stage)
{
    const uint64_t now = ::GetTickCount64();
    std::lock_guard<std::mutex> lock(m_mutex);
    if (stage == m_current) {
        return;
    }
    AddTime(m_facts.stages, m_current, now - m_stageStart);
    AddTime(m_facts.stages, stage, 0);
    m_current = stage;
    m_stageStart = now;
    if (stage != RunStage::Cleanup) {
        m_lastWork = stage;
    }
}

void RunResult::NoteFailure(const std::wstring& reason)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_facts.failure.empty()) {
        m_facts.failure = reason;
    }
}

std::wstring RunResult::Failure() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_facts.failure;
}

void RunResult::NoteErrorLine(const std::wstring& line)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_facts.firstError.empty()) {
        m_facts.firstError = line;
        while (!m_facts.firstError.empty() &&
               (m_facts.firstError.back() == L'\n' || m_facts.firstError.back() == L'\r')) {
            m_facts.firstError.pop_back();
        }
    }
}

void RunResult::AddSetup(const LaunchedSetup& setup)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_facts.setups.push_back(setup);
}

void RunResult::AddCheck(const CheckVerdict& verdict)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_facts.checks.push_back(verdict);
}

void RunResult::NoteSystem(const RunSystemFacts& system)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_facts.system = system;
}

std::vector<CheckVerdict> RunResult::Checks() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_facts.checks;
}

std::vector<LaunchedSetup> RunResult::Setups() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_facts.setups;
}

bool RunResult::Entered(RunStage stage) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const StageTime& entry : m_facts.stages) {
        if (entry.stage == stage) {
            return true;
        }
    }
    return false;
}

RunFacts RunResult::Snapshot(bool wentThrough) const
{
    const uint64_t now = ::GetTickCount64();
    std::lock_guard<std::mutex> lock(m_mutex);
    RunFacts facts = m_facts;
    AddTime(facts.stages, m_current, now - m_stageStart);
    facts.stage = wentThrough ? RunStage::Cleanup : m_lastWork;
    return facts;
}

std::string FormatRunResultJson(const RunFacts& facts)
{
    JsonWriter json;
    auto optionalText = [&](const std::wstring& text) -> JsonWriter& {
        return text.empty() ? json.Null() : json.String(text);
    };
    json.BeginObject();
    json.Key(L"format").Int(kRunResultFormat);
    json.Key(L"package").BeginObject();
    json.Key(L"name").String(facts.packageName);
    json.Key(L"version").String(facts.packageVersion);
    json.EndObject();
    json.Key(L"mode").String(facts.mode);
    json.Key(L"check").Bool(facts.check);
    json.Key(L"strictExit").Bool(facts.strictExit);
    json.Key(L"stage").String(RunStageName(facts.stage));
    json.Key(L"exitCode").Int(facts.exitCode);
    json.Key(L"outcome").String(facts.outcome);
    json.Key(L"failure");
    optionalText(facts.failure);
    json.Key(L"summary").BeginObject();
    json.Key(L"status").String(facts.summaryStatus);
    json.Key(L"errors").Int(facts.errors);
    json.Key(L"warnings").Int(facts.warnings);
    json.EndObject();
    json.Key(L"firstError");
    optionalText(facts.firstError);
    json.Key(L"extractionPath");
    optionalText(facts.extractionPath);
    json.Key(L"extracted").BeginObject();
    json.Key(L"files").Int(static_cast<int64_t>(facts.filesExtracted));
    json.Key(L"bytes").Int(static_cast<int64_t>(facts.bytesExtracted));
    json.EndObject();
    json.Key(L"setups").BeginArray();
    for (const LaunchedSetup& setup : facts.setups) {
        json.BeginObject();
        json.Key(L"path").String(setup.path);
        json.Key(L"exitCode");
        if (setup.mapping == kSetupNotStarted) {
            json.Null();
        } else {
            json.Int(setup.exitCode);
        }
        json.Key(L"waited").Bool(setup.waited);
        json.Key(L"mapping").String(setup.mapping);
        json.Key(L"message").String(setup.message);
        json.EndObject();
    }
    json.EndArray();
    json.Key(L"checks").BeginArray();
    for (const CheckVerdict& verdict : facts.checks) {
        json.BeginObject();
        json.Key(L"name").String(verdict.name);
        json.Key(L"passed").Bool(verdict.passed);
        json.Key(L"detail").String(verdict.detail);
        json.EndObject();
    }
    json.EndArray();
    json.Key(L"logFile");
    optionalText(facts.logFile);
    json.Key(L"stages").BeginArray();
    for (const StageTime& time : facts.stages) {
        json.BeginObject();
        json.Key(L"name").String(RunStageName(time.stage));
        json.Key(L"milliseconds").Int(static_cast<int64_t>(time.milliseconds));
        json.EndObject();
    }
    json.EndArray();
    json.Key(L"system");
    if (facts.system.known) {
        json.BeginObject();
        json.Key(L"major").Int(facts.system.major);
        json.Key(L"minor").Int(facts.system.minor);
        json.Key(L"build").Int(facts.system.build);
        json.Key(L"displayVersion");
        optionalText(facts.system.displayVersion);
        json.Key(L"machineArchitecture").String(facts.system.machineArchitecture);
        json.Key(L"processArchitecture").String(facts.system.processArchitecture);
        json.Key(L"emulated").Bool(facts.system.emulated);
        json.EndObject();
    } else {
        json.Null();
    }
    json.Key(L"started").String(facts.started);
    json.Key(L"processId").Int(facts.processId);
    json.EndObject();
    return json.Text();
}
