// Filter, pin, media type and sample base classes, without a graph.
#include "test_filters.h"

#include "graph/media_sample.h"
#include "graph/sample_ring.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

using namespace testfilters;
using graph::MediaSample;
using graph::MediaType;

namespace {

TEST(MediaTypeWrapper, CopiesOwnTheFormatAndCompareByContent) {
  MediaType a(MEDIATYPE_Audio, MEDIASUBTYPE_PCM);
  const BYTE format[4] = {1, 2, 3, 4};
  ASSERT_EQ(a.SetFormat(FORMAT_WaveFormatEx, format, sizeof format), S_OK);
  MediaType b = a;
  EXPECT_NE(b.Format(), a.Format());
  EXPECT_TRUE(a == b);
  const BYTE other[4] = {1, 2, 3, 5};
  b.SetFormat(FORMAT_WaveFormatEx, other, sizeof other);
  EXPECT_FALSE(a == b);
  MediaType moved = std::move(b);
  EXPECT_EQ(b.Format(), nullptr);
  EXPECT_EQ(moved.FormatSize(), 4u);
  AM_MEDIA_TYPE *copy = a.CreateCopy();
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(a == *copy);
  DeleteMediaType(copy);
}

TEST(MediaTypeWrapper, PartialTypesMatchAsWildcards) {
  MediaType partial(MEDIATYPE_Audio, GUID_NULL);
  EXPECT_TRUE(partial.IsPartiallySpecified());
  EXPECT_TRUE(partial.MatchesPartial(MediaType(MEDIATYPE_Audio, MEDIASUBTYPE_DOLBY_AC3).Get()));
  EXPECT_FALSE(partial.MatchesPartial(MediaType(MEDIATYPE_Video, MEDIASUBTYPE_MPEG2_VIDEO).Get()));
  EXPECT_FALSE(MediaType(MEDIATYPE_Audio, MEDIASUBTYPE_PCM).IsPartiallySpecified());
}

TEST(Sample, TimesFlagsLengthAndTypeChange) {
  ComPtr<MediaSample> s = MediaSample::Create(16);
  REFERENCE_TIME start = 0, end = 0;
  EXPECT_EQ(s->GetTime(&start, &end), VFW_E_SAMPLE_TIME_NOT_SET);
  REFERENCE_TIME t0 = 100, t1 = 200;
  s->SetTime(&t0, nullptr);
  EXPECT_EQ(s->GetTime(&start, &end), VFW_S_NO_STOP_TIME);
  EXPECT_EQ(start, 100);
  s->SetTime(&t0, &t1);
  EXPECT_EQ(s->GetTime(&start, &end), S_OK);
  EXPECT_EQ(end, 200);
  s->SetTime(nullptr, nullptr);
  EXPECT_EQ(s->GetTime(&start, &end), VFW_E_SAMPLE_TIME_NOT_SET);

  EXPECT_EQ(s->IsSyncPoint(), S_FALSE);
  s->SetSyncPoint(TRUE);
  s->SetDiscontinuity(TRUE);
  s->SetPreroll(TRUE);
  EXPECT_EQ(s->IsSyncPoint(), S_OK);
  EXPECT_EQ(s->IsDiscontinuity(), S_OK);
  EXPECT_EQ(s->IsPreroll(), S_OK);

  EXPECT_EQ(s->SetActualDataLength(17), VFW_E_BUFFER_OVERFLOW);
  EXPECT_EQ(s->SetActualDataLength(-1), E_INVALIDARG);
  EXPECT_EQ(s->SetActualDataLength(16), S_OK);
  EXPECT_EQ(s->GetActualDataLength(), 16);

  AM_MEDIA_TYPE *mt = reinterpret_cast<AM_MEDIA_TYPE *>(1);
  EXPECT_EQ(s->GetMediaType(&mt), S_FALSE);
  EXPECT_EQ(mt, nullptr);
  MediaType changed(MEDIATYPE_Audio, MEDIASUBTYPE_DOLBY_AC3);
  s->SetMediaType(&changed.Get());
  ASSERT_EQ(s->GetMediaType(&mt), S_OK);
  EXPECT_EQ(mt->subtype, MEDIASUBTYPE_DOLBY_AC3);
  DeleteMediaType(mt);

  s->ResetProperties();
  EXPECT_EQ(s->IsSyncPoint(), S_FALSE);
  EXPECT_EQ(s->GetActualDataLength(), 0);
  EXPECT_EQ(s->GetMediaType(&mt), S_FALSE);

  const char text[] = "abc";
  ComPtr<MediaSample> copy = MediaSample::CreateFrom(text, 3);
  EXPECT_EQ(copy->GetActualDataLength(), 3);
  EXPECT_EQ(copy->Data()[2], 'c');
}

// A sample over planes someone else owns shows them where they are and keeps their
// owner alive exactly as long as itself; a sample with its own buffer has no planes.
TEST(Sample, OverPlanesKeepsTheirOwnerAndShowsTheLumaPlane) {
  auto owner = std::make_shared<std::vector<BYTE>>(64 * 8 + 2 * 48 * 4);
  std::weak_ptr<std::vector<BYTE>> alive = owner;
  BYTE *base = owner->data();
  BYTE *planes[3] = {base, base + 64 * 8, base + 64 * 8 + 48 * 4};
  const LONG strides[3] = {64, 48, 48};
  ComPtr<MediaSample> s = MediaSample::CreateOverPlanes(planes, strides, 8, std::move(owner));
  BYTE *data = nullptr;
  ASSERT_EQ(s->GetPointer(&data), S_OK);
  EXPECT_EQ(data, base);
  EXPECT_EQ(s->GetSize(), 64 * 8);
  EXPECT_EQ(s->GetActualDataLength(), 64 * 8);
  ComPtr<IYuvPlanes> yuv;
  ASSERT_EQ(s.As(&yuv), S_OK);
  BYTE *got[3] = {};
  LONG gotStrides[3] = {};
  ASSERT_EQ(yuv->GetPlanes(got, gotStrides), S_OK);
  EXPECT_EQ(got[2], planes[2]);
  EXPECT_EQ(gotStrides[1], 48);
  s.Reset();
  EXPECT_FALSE(alive.expired()) << "let go while the planes were still in use";
  yuv.Reset();
  EXPECT_TRUE(alive.expired()) << "kept after the last reference went";

  ComPtr<MediaSample> own = MediaSample::Create(16);
  EXPECT_EQ(own.As(&yuv), E_NOINTERFACE);
  EXPECT_FALSE(yuv);
}

// Packets' samples come back in order once let go; one still held is never handed out
// again, and a ring full of held samples makes new ones without keeping them.
TEST(Sample, ARingReusesTheOldestOnceLetGoAndNeverOneStillHeld) {
  graph::SampleRing ring(2, 16);
  const char a[] = "first", b[] = "second", c[] = "third";
  ComPtr<MediaSample> s1 = ring.Take(a, 5);
  ComPtr<MediaSample> s2 = ring.Take(b, 6);
  MediaSample *first = s1.Get();
  s1->SetDiscontinuity(TRUE);
  ComPtr<MediaSample> s3 = ring.Take(c, 5); // both held: a new one
  EXPECT_NE(s3.Get(), first);
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(s1->Data()), 5), "first");
  EXPECT_EQ(ring.Held(), 2u);
  s1.Reset();
  ComPtr<MediaSample> again = ring.Take(c, 5);
  EXPECT_EQ(again.Get(), first) << "the oldest, let go, was not reused";
  EXPECT_EQ(again->GetActualDataLength(), 5);
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(again->Data()), 5), "third");
  EXPECT_EQ(again->IsDiscontinuity(), S_FALSE) << "a reused sample kept its flags";
  EXPECT_GE(again->GetSize(), 16);
  ComPtr<MediaSample> big = ring.Take(nullptr, 40); // the oldest is held: new, large enough
  EXPECT_EQ(big->GetSize(), 40);
  EXPECT_EQ(ring.Made(), 4);
}

TEST(Pins, ConnectAgreesOnATypeAndBothSidesSeeEachOther) {
  auto source = TestSource::Create();
  auto sink = TestSink::Create();
  ASSERT_EQ(source->out.Connect(&sink->in, nullptr), S_OK);

  ComPtr<IPin> peer;
  ASSERT_EQ(source->out.ConnectedTo(&peer), S_OK);
  EXPECT_EQ(peer.Get(), static_cast<IPin *>(&sink->in));
  ASSERT_EQ(sink->in.ConnectedTo(&peer), S_OK);
  EXPECT_EQ(peer.Get(), static_cast<IPin *>(&source->out));

  AM_MEDIA_TYPE mt{};
  ASSERT_EQ(sink->in.ConnectionMediaType(&mt), S_OK);
  EXPECT_EQ(mt.subtype, MEDIASUBTYPE_MPEG2_VIDEO);
  FreeMediaType(mt);

  EXPECT_EQ(source->out.Connect(&sink->in, nullptr), VFW_E_ALREADY_CONNECTED);
  // One side only: the peer keeps its connection until it is disconnected too.
  EXPECT_EQ(source->out.Disconnect(), S_OK);
  EXPECT_EQ(source->out.ConnectedTo(&peer), VFW_E_NOT_CONNECTED);
  EXPECT_EQ(peer.Get(), nullptr);
  EXPECT_TRUE(sink->in.IsConnected());
  EXPECT_EQ(sink->in.Disconnect(), S_OK);
  EXPECT_EQ(sink->in.Disconnect(), S_FALSE);
  EXPECT_EQ(sink->in.ConnectionMediaType(&mt), VFW_E_NOT_CONNECTED);
}

TEST(Pins, NegotiationTriesOwnTypesThenTheReceiversAndHonoursPartialTypes) {
  auto source = TestSource::Create();
  auto sink = TestSink::Create();
  // The source offers only audio, which the sink refuses; the sink proposes video.
  source->out.types = {MediaType(MEDIATYPE_Audio, MEDIASUBTYPE_PCM)};
  sink->in.preferred = {MediaType(MEDIATYPE_Video, MEDIASUBTYPE_RGB32)};
  ASSERT_EQ(source->out.Connect(&sink->in, nullptr), S_OK);
  EXPECT_EQ(sink->in.ConnectionType().Sub(), MEDIASUBTYPE_RGB32);
  source->out.Disconnect();
  sink->in.Disconnect();

  // A partial type filters the candidates: nothing of subtype ARGB32 is offered.
  MediaType partial(MEDIATYPE_Video, MEDIASUBTYPE_ARGB32);
  partial.Ptr()->majortype = GUID_NULL;
  EXPECT_EQ(source->out.Connect(&sink->in, &partial.Get()), VFW_E_NO_ACCEPTABLE_TYPES);
  EXPECT_FALSE(sink->in.IsConnected());

  // A full type is tried alone, and the receiver's refusal comes back.
  MediaType audio(MEDIATYPE_Audio, MEDIASUBTYPE_PCM);
  source->out.acceptedMajor = MEDIATYPE_Audio;
  EXPECT_EQ(source->out.Connect(&sink->in, &audio.Get()), VFW_E_TYPE_NOT_ACCEPTED);
  EXPECT_FALSE(source->out.IsConnected());
}

TEST(Pins, DirectionInfoAndIds) {
  auto source = TestSource::Create();
  auto sink = TestSink::Create();
  auto other = TestSource::Create(u"Other");
  EXPECT_EQ(other->out.Connect(&source->out, nullptr), VFW_E_INVALID_DIRECTION);
  EXPECT_EQ(sink->in.Connect(&source->out, nullptr), VFW_E_INVALID_DIRECTION);
  MediaType video(MEDIATYPE_Video, MEDIASUBTYPE_MPEG2_VIDEO);
  EXPECT_EQ(source->out.ReceiveConnection(&other->out, &video.Get()), VFW_E_INVALID_DIRECTION);

  PIN_INFO info{};
  ASSERT_EQ(sink->in.QueryPinInfo(&info), S_OK);
  EXPECT_EQ(info.dir, PINDIR_INPUT);
  EXPECT_EQ(std::u16string(info.achName), u"In");
  EXPECT_EQ(info.pFilter, F(sink));
  info.pFilter->Release();

  LPWSTR id = nullptr;
  ASSERT_EQ(source->out.QueryId(&id), S_OK);
  EXPECT_EQ(std::u16string(id), u"Out");
  CoTaskMemFree(id);

  ComPtr<IPin> found;
  EXPECT_EQ(F(sink)->FindPin(u"In", &found), S_OK);
  EXPECT_EQ(found.Get(), static_cast<IPin *>(&sink->in));
  EXPECT_EQ(F(sink)->FindPin(u"Nope", &found), VFW_E_NOT_FOUND);

  ComPtr<IMemInputPin> transport;
  EXPECT_EQ(sink->in.QueryInterface(IID_PPV_ARGS(&transport)), S_OK);
  EXPECT_EQ(source->out.QueryInterface(IID_PPV_ARGS(&transport)), E_NOINTERFACE);
}

TEST(Pins, ReceiveFollowsTheStreamState) {
  auto source = TestSource::Create();
  auto sink = TestSink::Create();
  auto sample = MediaSample::Create(8);
  EXPECT_EQ(sink->in.Receive(sample.Get()), VFW_E_NOT_CONNECTED);
  EXPECT_EQ(source->out.Deliver(sample.Get()), VFW_E_NOT_CONNECTED);
  ASSERT_EQ(source->out.Connect(&sink->in, nullptr), S_OK);

  EXPECT_EQ(source->out.Deliver(sample.Get()), VFW_E_WRONG_STATE); // sink stopped
  ASSERT_EQ(F(sink)->Pause(), S_OK);
  EXPECT_EQ(source->out.Deliver(sample.Get()), S_OK);
  EXPECT_EQ(source->out.DeliverBeginFlush(), S_OK);
  EXPECT_EQ(source->out.Deliver(sample.Get()), S_FALSE);
  EXPECT_EQ(source->out.DeliverEndFlush(), S_OK);
  EXPECT_EQ(source->out.Deliver(sample.Get()), S_OK);
  EXPECT_EQ(source->out.DeliverEndOfStream(), S_OK);
  EXPECT_EQ(source->out.Deliver(sample.Get()), VFW_E_SAMPLE_REJECTED_EOS);
  EXPECT_EQ(sink->received.load(), 2);

  // Connections change only while stopped; stopping clears end of stream.
  EXPECT_EQ(sink->in.Disconnect(), VFW_E_NOT_STOPPED);
  ASSERT_EQ(F(sink)->Stop(), S_OK);
  EXPECT_FALSE(sink->in.AtEndOfStream());
  EXPECT_EQ(source->out.Deliver(sample.Get()), VFW_E_WRONG_STATE);
  EXPECT_EQ(source->out.EndOfStream(), E_UNEXPECTED);
  // Connected pins hold each other's filters: break both sides outside a graph.
  source->out.Disconnect();
  sink->in.Disconnect();
}

TEST(Filter, HooksRunInOrderAndFailuresRestoreTheState) {
  CallLog log;
  auto sink = TestSink::Create();
  sink->behaviour.log = &log;
  IBaseFilter *f = F(sink);
  EXPECT_EQ(f->Run(1234), S_OK); // from Stopped: pause first
  EXPECT_EQ(sink->lastStart, 1234);
  EXPECT_EQ(sink->StartTime().ticks(), 1234);
  EXPECT_EQ(f->Run(99), S_OK);   // already running: nothing happens
  EXPECT_EQ(f->Stop(), S_OK);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"Sink:Pause", "Sink:Run", "Sink:Stop"}));

  sink->behaviour.runResult = E_OUTOFMEMORY;
  EXPECT_EQ(f->Run(0), E_OUTOFMEMORY);
  FILTER_STATE state;
  EXPECT_EQ(f->GetState(0, &state), S_OK);
  EXPECT_EQ(state, State_Paused);
  sink->behaviour.pauseResult = E_FAIL;
  f->Stop();
  EXPECT_EQ(f->Pause(), E_FAIL);
  EXPECT_EQ(sink->State(), State_Stopped);
}

TEST(Filter, GetStateReportsAPendingTransitionAndWaitsForIt) {
  auto sink = TestSink::Create();
  IBaseFilter *f = F(sink);
  f->Pause();
  sink->behaviour.pending = true;
  FILTER_STATE state;
  EXPECT_EQ(f->GetState(0, &state), VFW_S_STATE_INTERMEDIATE);
  EXPECT_EQ(state, State_Paused);
  std::thread settle([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    sink->SetPending(false);
  });
  EXPECT_EQ(f->GetState(10000, &state), S_OK);
  settle.join();
}

TEST(Filter, InterfacesInfoAndEvents) {
  auto control = ControlFilter::Create();
  ComPtr<IBasicAudio> audio;
  ComPtr<IVideoFrameStep> step;
  ComPtr<IReferenceClock> clock;
  EXPECT_EQ(F(control)->QueryInterface(IID_PPV_ARGS(&audio)), S_OK);
  EXPECT_EQ(F(control)->QueryInterface(IID_PPV_ARGS(&step)), S_OK);
  EXPECT_EQ(F(control)->QueryInterface(IID_PPV_ARGS(&clock)), E_NOINTERFACE);
  // One identity whatever the interface.
  ComPtr<IUnknown> a, b;
  audio->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&a));
  step->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&b));
  EXPECT_EQ(a, b);

  FILTER_INFO info{};
  ASSERT_EQ(F(control)->QueryFilterInfo(&info), S_OK);
  EXPECT_EQ(std::u16string(info.achName), u"Control"); // the default name outside a graph
  EXPECT_EQ(info.pGraph, nullptr);
  EXPECT_EQ(control->NotifyEvent(EC_COMPLETE, 0, 0), S_FALSE);

  auto sink = TestSink::Create();
  media::StreamTime t;
  EXPECT_EQ(sink->StreamTime(&t), VFW_E_NO_CLOCK);
}

} // namespace
