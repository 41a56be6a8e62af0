-- wrk script: every request asks a name never asked before, so every page
-- needs fresh registry lookups.
local counter = 0
local thread_id = 0

function setup(thread)
  thread:set("thread_id", thread_id)
  thread_id = thread_id + 1
end

function request()
  counter = counter + 1
  return wrk.format("GET", "/whois.cgi?vhost_name=burst" .. thread_id .. "x" .. counter)
end
