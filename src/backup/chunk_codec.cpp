#include "backup/chunk_codec.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace sw::backup {

struct ChunkCompressor::State {
  z_stream stream{};
  bool ready = false;
  Bytes out = Bytes(kChunkSize);
};

ChunkCompressor::ChunkCompressor(int level) : state_(std::make_unique<State>()) {
  state_->ready = deflateInit2(&state_->stream, level, Z_DEFLATED, MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
}

ChunkCompressor::~ChunkCompressor() {
  if (state_->ready) {
    deflateEnd(&state_->stream);
  }
}

std::optional<StoredChunk> ChunkCompressor::Compress(std::span<const std::uint8_t> raw) {
  z_stream& z = state_->stream;
  if (!state_->ready || raw.size() > kChunkSize || deflateReset(&z) != Z_OK) {
    return std::nullopt;
  }
  z.next_in = const_cast<Bytef*>(raw.data());  // zlib's API is not const-correct; it only reads
  z.avail_in = static_cast<uInt>(raw.size());
  z.next_out = state_->out.data();
  z.avail_out = static_cast<uInt>(state_->out.size());
  const int rc = deflate(&z, Z_FINISH);
  StoredChunk chunk;
  chunk.rawSize = raw.size();
  if (rc == Z_STREAM_END) {
    chunk.length = static_cast<std::int32_t>(z.total_out);
    chunk.data.assign(state_->out.begin(), state_->out.begin() + static_cast<std::ptrdiff_t>(z.total_out));
  } else if (rc == Z_OK || rc == Z_BUF_ERROR) {
    // The stream did not fit in one chunk's room: store the bytes as they are.
    chunk.length = -static_cast<std::int32_t>(raw.size());
    chunk.data.assign(raw.begin(), raw.end());
  } else {
    return std::nullopt;
  }
  return chunk;
}

struct ChunkInflater::State {
  z_stream stream{};
  bool ready = false;
};

ChunkInflater::ChunkInflater() : state_(std::make_unique<State>()) {
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
  return Decode(chunk);
}

DecodedChunk ChunkInflater::Decode(const RawChunk& chunk) {
  if (chunk.length < 0) {
    return DecodedChunk{true, chunk.data};
  }
  DecodedChunk decoded{false, Bytes(kChunkSize)};
  const auto produced = Inflate(chunk.data, decoded.data);
  if (produced) {
    decoded.ok = true;
    decoded.data.resize(*produced);
  }
  return decoded;
}

}  // namespace sw::backup
