// List decoding throughput: a 5 MiB page reply of messages, contacts or call
// log entries decoded into its store (target: 200 MB/s of reply text on one
// core). The store is emptied between iterations outside the timing.
#include "receive_buffer.h"
#include "store_arena.h"
#include "stores.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using StoreArenaForBench = StoreArena;

std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 0x0F];
    }
    return out;
}

void Entry(std::string& out, const char* tag, const std::string& value) {
    out += tag;
    out += ':';
    out += Hex(value);
    out += ';';
}

std::string Body(std::mt19937& rng) {
    static const char* kWords[] = {"see",      "you",
                                   "at",       "the",
                                   "station",  "\xE6\x98\x8E\xE5\xA4\xA9",
                                   "ok",       "\xF0\x9F\x98\x80",
                                   "tomorrow", "call me",
                                   "thanks!"};
    std::string body;
    const int words = 3 + static_cast<int>(rng() % 20);
    for (int i = 0; i < words; ++i) {
        body += kWords[rng() % (sizeof kWords / sizeof kWords[0])];
        body += ' ';
    }
    return body;
}

// Records appended until the reply would pass the page capacity.
template <typename MakeRecord> std::string Reply(MakeRecord make) {
    std::mt19937 rng(7);
    std::string reply;
    reply.reserve(kReceiveBufferSize);
    for (int i = 0;; ++i) {
        std::string record = make(rng, i);
        if (reply.size() + record.size() >= static_cast<size_t>(kReceiveBufferSize - 1)) {
            break;
        }
        reply += record;
    }
    return reply;
}

std::string SmsRecordText(std::mt19937& rng, int i) {
    std::string r;
    char number[32];
    std::snprintf(number, sizeof number, "+86 138-%04u-%04u", static_cast<unsigned>(rng() % 10000),
                  static_cast<unsigned>(rng() % 10000));
    Entry(r, "ID", std::to_string(i));
    Entry(r, "THREAD_ID", std::to_string(rng() % 500));
    Entry(r, "ADDRESS", number);
    Entry(r, "DATE", "2023-04-05 06:07:08");
    Entry(r, "PROTOCOL", "0");
    Entry(r, "READ", "1");
    Entry(r, "STATUS", "-1");
    Entry(r, "BODY", Body(rng));
    Entry(r, "TYPE", std::to_string(1 + rng() % 2));
    return r + ".";
}

std::string ContactRecordText(std::mt19937& rng, int i) {
    std::string r;
    Entry(r, "CONTACTID", std::to_string(i));
    Entry(r, "NAME", "Person " + std::to_string(i));
    Entry(r, "PHONE_PHONE", "138" + std::to_string(10000000 + rng() % 89999999));
    if (rng() % 2) {
        Entry(r, "PHONE_HOME", "010-" + std::to_string(rng() % 9999999));
    }
    Entry(r, "EMAIL_HOME", "person" + std::to_string(i) + "@example.org");
    if (rng() % 3 == 0) {
        Entry(r, "NOTE", Body(rng));
    }
    Entry(r, "ORG_NAME", "Company");
    return r + ".";
}

std::string CallRecordText(std::mt19937& rng, int i) {
    std::string r;
    Entry(r, "ID", std::to_string(i));
    Entry(r, "NAME", "Person " + std::to_string(rng() % 1000));
    Entry(r, "NUMBER", "138" + std::to_string(10000000 + rng() % 89999999));
    Entry(r, "TYPE", std::to_string(1 + rng() % 5));
    Entry(r, "DURATION", std::to_string(rng() % 3600));
    Entry(r, "DATE", "2023-04-05 06:07:08");
    return r + ".";
}

template <typename Decode, typename Clear>
void RunDecode(benchmark::State& state, const std::string& reply, Decode decode, Clear clear) {
    int records = 0;
    for (auto _ : state) {
        records = decode(reply.data(), reply.size());
        benchmark::DoNotOptimize(records);
        state.PauseTiming();
        clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(reply.size()));
    state.counters["records"] = records;
    state.counters["reply_bytes"] = static_cast<double>(reply.size());
}

void BM_DecodeSmsList(benchmark::State& state) {
    static const std::string reply = Reply(SmsRecordText);
    RunDecode(state, reply, stores::DecodeSmsList, stores::ClearSmsStore);
}

void BM_DecodeContactList(benchmark::State& state) {
    static const std::string reply = Reply(ContactRecordText);
    RunDecode(state, reply, stores::DecodeContactList, stores::ClearContactStore);
}

void BM_DecodeCallLogList(benchmark::State& state) {
    static const std::string reply = Reply(CallRecordText);
    RunDecode(state, reply, stores::DecodeCallLogList, stores::ClearCallLogStore);
}

// Sender names for a full phone: 50 000 messages against 10 000 contacts
// with two numbers each, a third of the senders among the contacts.
void BM_FillSenderNames(benchmark::State& state) {
    std::mt19937 rng(3);
    auto number = [&] { return "+86 138-" + std::to_string(10000000 + rng() % 89999999); };
    std::vector<std::string> texts;
    texts.reserve(100000);
    std::vector<ContactRecord> contacts(10000);
    for (size_t i = 0; i < contacts.size(); ++i) {
        contacts[i] = ContactRecord{};
        texts.push_back("Person " + std::to_string(i));
        contacts[i].name = texts.back().data();
        texts.push_back(number());
        contacts[i].mobilePhone = texts.back().data();
        texts.push_back(number());
        contacts[i].homePhone = texts.back().data();
        contacts[i].next = i + 1 < contacts.size() ? &contacts[i + 1] : nullptr;
    }
    std::vector<SmsRecord> messages(50000);
    std::vector<std::string> addresses(messages.size());
    for (size_t i = 0; i < messages.size(); ++i) {
        addresses[i] =
            rng() % 3 == 0 ? std::string(contacts[rng() % contacts.size()].mobilePhone) : number();
    }
    StoreArenaForBench arena;
    for (auto _ : state) {
        state.PauseTiming();
        arena.Clear();
        for (size_t i = 0; i < messages.size(); ++i) {
            messages[i] = SmsRecord{};
            messages[i].address = addresses[i].data();
            messages[i].next = i + 1 < messages.size() ? &messages[i + 1] : nullptr;
        }
        state.ResumeTiming();
        stores::FillSenderNames(
            &contacts[0], &messages[0],
            [](size_t bytes, void* a) {
                return static_cast<char*>(static_cast<StoreArenaForBench*>(a)->Allocate(bytes));
            },
            &arena);
    }
}

BENCHMARK(BM_FillSenderNames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeSmsList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeContactList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeCallLogList)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
