#pragma once

// A subscriber on a real broker, through libmosquitto: it keeps every
// message it receives, with its retain flag, and lets a test wait for what
// it expects. It reconnects by itself when the broker comes back.

#include <mosquitto.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vt640::test {

class MqttSubscriber {
public:
    struct Message {
        std::string topic;
        std::string payload;
        bool retained = false;
    };

    // With `persistentId`, a session that the broker keeps (with a broker
    // that keeps sessions, messages published while this subscriber is away
    // reach it when it is back).
    MqttSubscriber(int port, std::vector<std::string> topics, std::string persistentId = {})
        : topics_(std::move(topics))
    {
        mosquitto_lib_init();
        const bool clean = persistentId.empty();
        mosq_ = mosquitto_new(clean ? nullptr : persistentId.c_str(), clean, this);
        mosquitto_connect_callback_set(mosq_, [](mosquitto* m, void* self, int rc) {
            if (rc != 0)
                return;
            auto* me = static_cast<MqttSubscriber*>(self);
            for (const std::string& t : me->topics_)
                mosquitto_subscribe(m, nullptr, t.c_str(), 1);
        });
        mosquitto_subscribe_callback_set(mosq_, [](mosquitto*, void* self, int, int, const int*) {
            auto* me = static_cast<MqttSubscriber*>(self);
            std::lock_guard lock(me->mutex_);
            ++me->subscribed_;
            me->changed_.notify_all();
        });
        mosquitto_message_callback_set(mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
            auto* me = static_cast<MqttSubscriber*>(self);
            std::lock_guard lock(me->mutex_);
            me->messages_.push_back(
                {m->topic, std::string(static_cast<const char*>(m->payload), static_cast<std::size_t>(m->payloadlen)),
                 m->retain});
            me->changed_.notify_all();
        });
        mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
        mosquitto_connect(mosq_, "127.0.0.1", port, 30);
        mosquitto_loop_start(mosq_);
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(20), [&] { return subscribed_ >= topics_.size(); });
    }
    ~MqttSubscriber()
    {
        mosquitto_disconnect(mosq_);
        mosquitto_loop_stop(mosq_, false);
        mosquitto_destroy(mosq_);
    }
    MqttSubscriber(const MqttSubscriber&) = delete;
    MqttSubscriber& operator=(const MqttSubscriber&) = delete;

    // Whether every topic was subscribed to.
    bool ready()
    {
        std::lock_guard lock(mutex_);
        return subscribed_ >= topics_.size();
    }

    std::vector<Message> messages()
    {
        std::lock_guard lock(mutex_);
        return messages_;
    }

    // Waits until `done` holds for the messages so far (at most `limit`).
    // `done` is called with the subscriber's lock held: it may not call the
    // subscriber.
    bool waitFor(const std::function<bool(const std::vector<Message>&)>& done,
                 std::chrono::seconds limit = std::chrono::seconds(60))
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return done(messages_); });
    }

    // The payloads of `topic`, in order of arrival.
    std::vector<std::string> payloads(const std::string& topic) { return payloadsOf(messages(), topic); }
    static std::vector<std::string> payloadsOf(const std::vector<Message>& messages, const std::string& topic)
    {
        std::vector<std::string> result;
        for (const Message& m : messages)
            if (m.topic == topic)
                result.push_back(m.payload);
        return result;
    }

private:
    std::vector<std::string> topics_;
    mosquitto* mosq_ = nullptr;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Message> messages_;
    std::size_t subscribed_ = 0;
};

} // namespace vt640::test
