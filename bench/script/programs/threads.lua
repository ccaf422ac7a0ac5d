-- Threads: 1,000 coroutines each yielding 100 times, resumed by a loop.
local total = 0
local function worker(id)
  for k = 0, 99 do
    coroutine.yield()
    total = (total + id + k) & 16777215
  end
end
local sum = 0
for rep = 0, 7 do
  local list = {}
  for i = 0, 999 do
    local co = coroutine.create(worker)
    coroutine.resume(co, i)
    list[#list + 1] = co
  end
  local alive = #list
  while alive > 0 do
    alive = 0
    for _, co in ipairs(list) do
      if coroutine.status(co) ~= "dead" then
        coroutine.resume(co)
        if coroutine.status(co) ~= "dead" then alive = alive + 1 end
      end
    end
  end
end
print(total)
