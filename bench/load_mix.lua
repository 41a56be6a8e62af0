-- wrk script for bench_registrar_load: about 80% of pages ask one of 50 names
-- that are already cached, the rest ask a name never asked before, so the
-- registrar has to look it up while it keeps serving the cached ones.
--
--   wrk -t2 -c128 -d30s --latency -s load_mix.lua http://127.0.0.1:PORT
--
-- The last line it prints is for bench_registrar_load to read:
--   load_mix: requests=N fresh=N non2xx=N connect=N read=N write=N timeout=N duration_us=N p50_us=N p99_us=N

local hot_count = 50
local fresh_share = 0.20

-- Even names are not registered ("free" in them), odd ones are, so cached pages
-- show both answers. bench_registrar_load warms exactly these names.
local function hot_name(i)
  if i % 2 == 0 then
    return "freehot" .. i
  end
  return "hot" .. i
end

-- Main state: keep the threads so done() can add up their counters.
local threads = {}
local thread_count = 0

function setup(thread)
  thread:set("id", thread_count)
  thread_count = thread_count + 1
  table.insert(threads, thread)
end

-- Thread state. A generator of our own (Park-Miller) rather than math.random,
-- so every run asks the same sequence; its products stay below 2^53, so they are
-- exact in LuaJIT's doubles.
local state = 1
local counter = 0
non2xx = 0
fresh = 0

local function next_uniform()
  state = (state * 16807) % 2147483647
  return state / 2147483647
end

-- "fill" (after --): fresh names only, of their own, to fill the cache before the run.
local prefix = "free"

function init(args)
  if args[1] == "fill" then
    fresh_share = 1.0
    prefix = "freefill"
  end
  state = 12345 + 7919 * (id or 0)
  -- The first draws after a small seed are small; skip them.
  for _ = 1, 10 do
    next_uniform()
  end
end

function request()
  local name
  if next_uniform() < fresh_share then
    -- Unique per thread and request: "free" keeps every candidate unregistered;
    -- letters and digits only, far below 63 characters.
    counter = counter + 1
    fresh = fresh + 1
    name = string.format("%s%dn%dx", prefix, id or 0, counter)
  else
    name = hot_name(math.floor(next_uniform() * hot_count))
  end
  return wrk.format("GET", "/whois.cgi?vhost_name=" .. name)
end

function response(status, headers, body)
  if status < 200 or status > 299 then
    non2xx = non2xx + 1
  end
end

function done(summary, latency, requests)
  local total_non2xx, total_fresh = 0, 0
  for _, thread in ipairs(threads) do
    total_non2xx = total_non2xx + (thread:get("non2xx") or 0)
    total_fresh = total_fresh + (thread:get("fresh") or 0)
  end
  local errors = summary.errors
  io.write(string.format(
    "load_mix: requests=%d fresh=%d non2xx=%d connect=%d read=%d write=%d timeout=%d duration_us=%d p50_us=%d p99_us=%d\n",
    summary.requests, total_fresh, total_non2xx, errors.connect, errors.read, errors.write, errors.timeout,
    summary.duration, latency:percentile(50), latency:percentile(99)))
end
