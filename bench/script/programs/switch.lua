-- Switch: eight cases as an if-chain.
local s = 0
for rep = 0, 9 do
for i = 0, 999999 do
  local c = i & 7
  if c == 0 then s = s + 3
  elseif c == 1 then s = s ~ 5
  elseif c == 2 then s = s + 7
  elseif c == 3 then s = s - 1
  elseif c == 4 then s = s * 3
  elseif c == 5 then s = s + 11
  elseif c == 6 then s = s | 2
  else s = s + 1 end
  s = s & 16777215
end
end
print(s)
