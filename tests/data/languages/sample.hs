-- | Safe head of a list.
module SafeHead (safeHead) where

{- Returns Nothing for the empty list
   instead of failing. -}
safeHead :: [a] -> Maybe a
safeHead [] = Nothing
safeHead (x:_) = Just x
