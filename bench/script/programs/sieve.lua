-- Indexing: the primes up to 10^6 over an int array.
local function sieve()
  local flags = {}
  for i = 0, 1000000 do flags[i] = 0 end
  local count = 0
  for i = 2, 1000000 do
    if flags[i] == 0 then
      count = count + 1
      if i <= 1000 then
        for j = i * i, 1000000, i do flags[j] = 1 end
      end
    end
  end
  return count
end
local sum = 0
for rep = 0, 4 do sum = sum + sieve() end
print(sum)
