#include "backup/chunk_codec.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace sw::backup {

namespace {

constexpr std::size_t kBuffersKept = 512;

ChunkBytes TakeFrom(ChunkBuffers* buffers) {
  return buffers != nullptr ? buffers->Take() : ChunkBytes();
}

}  // namespace

ChunkBytes ChunkBuffers::Take() {
  {
    std::lock_guard lock(mutex_);
    if (!free_.empty()) {
      ChunkBytes buffer = std::move(free_.back());
      free_.pop_back();
      return buffer;
    }
  }
  ChunkBytes buffer;
  buffer.reserve(kChunkSize);
  return buffer;
}

void ChunkBuffers::Give(ChunkBytes&& buffer) {
  if (buffer.capacity() < kChunkSize) {
    return;
  }
  buffer.clear();
  std::lock_guard lock(mutex_);
  if (free_.size() < kBuffersKept) {
    free_.push_back(std::move(buffer));
  }
}

struct ChunkCompressor::State {
  z_stream stream{};
  bool ready = false;
  ChunkBuffers* buffers = nullptr;
};

ChunkCompressor::ChunkCompressor(int level, ChunkBuffers* buffers) : state_(std::make_unique<State>()) {
  state_->buffers = buffers;
  state_->ready = deflateInit2(&state_->stream, level, Z_DEFLATED, MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
}

ChunkCompressor::~ChunkCompressor() {
  if (state_->ready) {
    deflateEnd(&state_->stream);
  }
}

std::optional<StoredChunk> ChunkCompressor::operator()(ChunkBytes&& raw) {
  z_stream& z = state_->stream;
  if (!state_->ready || raw.size() > kChunkSize || deflateReset(&z) != Z_OK) {
    return std::nullopt;
  }
  StoredChunk chunk;
  chunk.rawSize = raw.size();
  chunk.data = TakeFrom(state_->buffers);
  chunk.data.resize(kChunkSize);  // room for the stream, not cleared
  z.next_in = raw.data();
  z.avail_in = static_cast<uInt>(raw.size());
  z.next_out = chunk.data.data();
  z.avail_out = static_cast<uInt>(chunk.data.size());
  const int rc = deflate(&z, Z_FINISH);
  if (rc == Z_STREAM_END) {
    chunk.length = static_cast<std::int32_t>(z.total_out);
    chunk.data.resize(z.total_out);
  } else if (rc == Z_OK || rc == Z_BUF_ERROR) {
    // The stream did not fit in one chunk's room: store the bytes as they are.
    chunk.length = -static_cast<std::int32_t>(raw.size());
    std::swap(chunk.data, raw);
  } else {
    return std::nullopt;
  }
  if (state_->buffers != nullptr) {
    state_->buffers->Give(std::move(raw));
  }
  return chunk;
}

struct ChunkInflater::State {
  z_stream stream{};
  bool ready = false;
  ChunkBuffers* buffers = nullptr;
};

ChunkInflater::ChunkInflater(ChunkBuffers* buffers) : state_(std::make_unique<State>()) {
  state_->buffers = buffers;
  state_->ready = inflateInit2(&state_->stream, MAX_WBITS) == Z_OK;
}

ChunkInflater::~ChunkInflater() {
  if (state_->ready) {
    inflateEnd(&state_->stream);
  }
}

std::optional<std::size_t> ChunkInflater::Inflate(std::span<const std::uint8_t> stream, std::span<std::uint8_t> out) {
  z_stream& z = state_->stream;
  if (!state_->ready || inflateReset(&z) != Z_OK || stream.size() > std::numeric_limits<uInt>::max()) {
    return std::nullopt;
  }
  z.next_in = const_cast<Bytef*>(stream.data());
  z.avail_in = static_cast<uInt>(stream.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(std::min<std::size_t>(out.size(), kChunkSize));
  if (inflate(&z, Z_FINISH) != Z_STREAM_END) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(z.total_out);
}

DecodedChunk ChunkInflater::operator()(RawChunk&& chunk) {
  if (chunk.length < 0) {
    return DecodedChunk{true, std::move(chunk.data)};
  }
  DecodedChunk decoded{false, TakeFrom(state_->buffers)};
  decoded.data.resize(kChunkSize);  // room for the bytes, not cleared
  const auto produced = Inflate(chunk.data, decoded.data);
  decoded.ok = produced.has_value();
  decoded.data.resize(produced.value_or(0));
  if (state_->buffers != nullptr) {
    state_->buffers->Give(std::move(chunk.data));
  }
  return decoded;
}

DecodedChunk ChunkInflater::Decode(const RawChunk& chunk) {
  if (chunk.length < 0) {
    return DecodedChunk{true, chunk.data};
  }
  DecodedChunk decoded{false, ChunkBytes(kChunkSize)};
  const auto produced = Inflate(chunk.data, decoded.data);
  if (produced) {
    decoded.ok = true;
    decoded.data.resize(*produced);
  }
  return decoded;
}

}  // namespace sw::backup
