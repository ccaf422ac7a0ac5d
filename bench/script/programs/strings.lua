-- Strings: appending with + and with += (Lua has only the first form).
local function build()
  local s = ""
  local t = ""
  for i = 0, 19999 do s = s .. "ab" end
  for i = 0, 19999 do t = t .. "ab" end
  return #s + #t
end
local sum = 0
for rep = 0, 5 do sum = sum + build() end
print(sum)
